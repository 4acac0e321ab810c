"""VORTA: axial capacity and short-term settlement of driven piles.

An analysis is data: ``vorta.Analysis`` with its pile, layers, methods, loading, options,
load-transfer tables and CPT sounding, under the names of a project file. Read one with
``vorta.Analysis.read(path)``, edit it, and run it in memory with ``analysis.run()``; run many at
once with ``vorta.run_many(analyses)``. ``vorta.run(path)`` runs a file as the command line does.
With pandas installed, ``result.frame()`` and the other ``*_frame()`` methods give the results as
tables, and ``Analysis.layers_frame()`` and ``Analysis.with_layers(frame)`` the soil profile.
"""

from ._vorta import (
    COMPLETED,
    FILE_ERROR,
    STOPPED_ON_INPUT,
    Analysis,
    AreaRow,
    CheckOutcome,
    Curve,
    InputError,
    Layer,
    LoadDistribution,
    Loading,
    LoadStep,
    LoadTransfer,
    Methods,
    Options,
    Pile,
    Result,
    Sounding,
    Table,
    TipCurveFactors,
    TransferCurve,
    TzModifier,
    __version__,
    fields,
    run,
)
from . import _frames
from ._many import run_many

_frames.attach(Analysis, Result)

__all__ = [
    "COMPLETED",
    "FILE_ERROR",
    "STOPPED_ON_INPUT",
    "Analysis",
    "AreaRow",
    "CheckOutcome",
    "Curve",
    "InputError",
    "Layer",
    "LoadDistribution",
    "Loading",
    "LoadStep",
    "LoadTransfer",
    "Methods",
    "Options",
    "Pile",
    "Result",
    "Sounding",
    "Table",
    "TipCurveFactors",
    "TransferCurve",
    "TzModifier",
    "fields",
    "run",
    "run_many",
]
