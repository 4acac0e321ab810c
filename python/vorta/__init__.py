"""VORTA: axial capacity and short-term settlement of driven piles.

An analysis is data: ``vorta.Analysis`` with its pile, layers, methods, loading, options,
load-transfer tables and CPT sounding, under the names of a project file. Read one with
``vorta.Analysis.read(path)``, edit it, and run it in memory with ``analysis.run()``; run many at
once with ``vorta.run_many(analyses)``. ``vorta.run(path)`` runs a file as the command line does.
With pandas installed, ``result.frame()`` and the other ``*_frame()`` methods give the results as
tables, and ``Analysis.layers_frame()`` and ``Analysis.with_layers(frame)`` the soil profile.
``vorta.Sounding.read(path, units=...)`` reads a CPT file (GEF, AGS4, CSV) and
``analysis.to_units("SI")`` converts an analysis between English and SI units.
``analysis.design.loads = [...]`` asks each method for the least embedded length that carries each
load; the run gives ``result.design`` (and ``result.design_frame()``).
"""

from ._vorta import (
    COMPLETED,
    FILE_ERROR,
    STOPPED_ON_INPUT,
    Analysis,
    AreaRow,
    CheckOutcome,
    Curve,
    Design,
    DesignAnswer,
    InputError,
    Layer,
    LoadDistribution,
    Loading,
    LoadStep,
    LoadTransfer,
    Methods,
    Options,
    OutOfRangeError,
    Pile,
    Problem,
    Result,
    Sounding,
    Table,
    TipCurveFactors,
    TransferCurve,
    TzModifier,
    __version__,
    fields,
    result_columns,
    run,
)
from ._many import run_many
from ._values import LayerValue


def _run(self, keep_text=False, report=None, plot=None, clock=None):
    """Runs the analysis in memory and returns its vorta.Result; nothing is written unless `report`
    or `plot` names a file. keep_text=True keeps the report and the plot data that are not written
    as result.report_text and result.plot_text. `clock` (a datetime) fixes the date and time of the
    report header. A run that stops raises nothing: result.status is 1, result.messages says why and
    result.problems holds what the engine found (vorta.Problem: stops by the key of their value,
    warnings, and the advisories, also as result.advisories); a value that cannot be stated raises
    ValueError naming it. The engine runs with the interpreter
    lock released, so threads run analyses side by side."""
    return self._run(keep_text, report, plot, clock)


# A plain function, so that Analysis.run pickles by its name (dask's Client.map sends it).
_run.__name__ = "run"
_run.__qualname__ = "Analysis.run"
_run.__module__ = __name__
Analysis.run = _run

__all__ = [
    "COMPLETED",
    "FILE_ERROR",
    "STOPPED_ON_INPUT",
    "Analysis",
    "AreaRow",
    "CheckOutcome",
    "Curve",
    "Design",
    "DesignAnswer",
    "InputError",
    "Layer",
    "LayerValue",
    "LoadDistribution",
    "Loading",
    "LoadStep",
    "LoadTransfer",
    "Methods",
    "Options",
    "OutOfRangeError",
    "Pile",
    "Problem",
    "Result",
    "Sounding",
    "Table",
    "TipCurveFactors",
    "TransferCurve",
    "TzModifier",
    "fields",
    "result_columns",
    "run",
    "run_many",
]
