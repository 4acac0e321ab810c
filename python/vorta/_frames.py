"""Results and soil profiles as pandas frames. pandas is optional: it is imported when a frame is
asked for, and the rest of the module works without it."""

import math

from . import _vorta


def _pandas(what):
    try:
        import pandas
    except ImportError as error:
        raise ImportError(
            f"vorta: {what} needs pandas, which is not installed "
            "(Debian: apt-get install python3-pandas; elsewhere: pip install pandas)"
        ) from error
    return pandas


def _method_names():
    load_transfer = next(f for f in _vorta.fields("methods") if f["key"] == "load_transfer")
    names = {}
    for name, code in load_transfer["choices"]:
        names.setdefault(code, name)  # the first name of a code is the one written
    return names


def _columns(kind):
    return _vorta.result_columns(kind)


def _frame(result, what, columns, kinds):
    """A frame of `columns` with the units of the result columns of `kinds` in frame.attrs."""
    pandas = _pandas(what)
    frame = pandas.DataFrame(columns)
    unit_key = {1: "english_unit", 2: "si_unit"}.get(result.unit_system)
    units = {}
    for kind in kinds:
        for column in _columns(kind):
            if column["key"] in columns and unit_key and column[unit_key]:
                units[column["key"]] = column[unit_key]
    frame.attrs["units"] = units
    frame.attrs["unit_system"] = result.units
    frame.attrs["title"] = result.title
    return frame


def capacity_frame(result, printed_only=False):
    """Every capacity table in long form, one row per row of the computation: method (its name as a
    project file writes it), then the columns of vorta.Table (pile_length, depth, skin_friction,
    tip_resistance, ultimate_capacity, unit_friction, plug_length, plug_mark, printed), in report
    order. `printed` marks the rows the report and the plot data print; printed_only=True keeps
    those alone, as the frame was before it held every row. frame.attrs holds the units of each
    column ("units"), the unit system, the title and what the tip column holds ("tip_resistance")."""
    names = _method_names()
    keys = [c["key"] for c in _columns("capacity")]
    columns = {"method": [], **{key: [] for key in keys}}
    for table in result.tables:
        columns["method"].extend([names.get(table.method, str(table.method))] * len(table))
        for name, values in table.columns.items():
            columns[name].extend(values.tolist() if hasattr(values, "tolist") else list(values))
    frame = _frame(result, "Result.frame()", columns, ["capacity"])
    if printed_only:
        attrs = dict(frame.attrs)
        frame = frame[frame["printed"]].reset_index(drop=True)
        frame.attrs.update(attrs)
    tension = any(t.tension for t in result.tables)
    frame.attrs["tip_resistance"] = "self weight" if tension else "end bearing"
    return frame


def design_frame(result):
    """The design answers, one row per method and load: method, the columns of vorta.DesignAnswer
    (load, factor_of_safety, embedded_length, capacity, capacity_length, falls_below_again_at,
    factored; NaN where a length is not there) and advisory (empty when there is none)."""
    keys = [c["key"] for c in _columns("design")]
    columns = {"method": [a.method for a in result.design]}
    for key in keys:
        values = [getattr(a, key) for a in result.design]
        columns[key] = [math.nan if v is None else v for v in values]
    columns["advisory"] = [a.advisory or "" for a in result.design]
    return _frame(result, "Result.design_frame()", columns, ["design"])


def load_settlement_frame(result):
    """The load versus settlement curve: one row per load step with the columns of vorta.LoadStep
    (top_load, top_movement, tip_load and tip_movement)."""
    keys = [c["key"] for c in _columns("load_steps")]
    columns = {key: [getattr(step, key) for step in result.load_steps] for key in keys}
    return _frame(result, "Result.load_settlement_frame()", columns, ["load_steps"])


def load_distribution_frame(result):
    """The load distribution along the pile at every load step, in long form: step (from 0), then
    the columns of vorta.LoadDistribution (distance_from_head, axial_load and movement), from the
    tip upward."""
    keys = [c["key"] for c in _columns("distribution")]
    columns = {"step": [], **{key: [] for key in keys}}
    for k, step in enumerate(result.load_steps):
        d = step.distribution
        columns["step"].extend([k] * len(d))
        for key in keys:
            columns[key].extend(float(v) for v in d.columns[key])
    return _frame(result, "Result.load_distribution_frame()", columns, ["distribution"])


def tz_curves_frame(result):
    """The t-z curves in long form: kind ("layer", or "verification" for the curves printed at
    the verification depths), curve number, depth, and the columns of vorta.TransferCurve
    (movement and load, the unit load transfer)."""
    keys = [c["key"] for c in _columns("tz_curve")]
    columns = {"kind": [], "curve": [], "depth": [], **{key: [] for key in keys}}
    for kind, curves in (("layer", result.layer_curves), ("verification", result.verification_curves)):
        for curve in curves:
            n = len(curve)
            columns["kind"].extend([kind] * n)
            columns["curve"].extend([curve.number] * n)
            columns["depth"].extend([curve.depth] * n)
            for key in keys:
                columns[key].extend(float(v) for v in curve.columns[key])
    # The depth in the length unit of the capacity tables' depth column.
    return _frame(result, "Result.tz_curves_frame()", columns, ["tz_curve", "capacity"])


def tip_curve_frame(result):
    """The tip (q-w) curve: the columns of vorta.Curve (movement and load)."""
    columns = {key: [float(v) for v in values] for key, values in result.tip_curve.columns.items()}
    return _frame(result, "Result.tip_curve_frame()", columns, ["tip_curve"])


_PROBLEM_COLUMNS = ("severity", "code", "path", "layer_end", "soil_point", "value", "unit", "allowed", "file",
                    "line", "place", "message")


def problems_frame(outcome):
    """The problems of a run or a check, one row each: severity ('stop', 'file_error', 'warning',
    'advisory'), code, path (the key, layers counted from 1), layer_end, soil_point, value (NaN
    when none), unit, allowed, file, line, place and message."""
    pandas = _pandas("problems_frame()")
    rows = [{c: getattr(p, c) for c in _PROBLEM_COLUMNS} for p in outcome.problems]
    for row in rows:
        if row["value"] is None:
            row["value"] = math.nan
    return pandas.DataFrame(rows, columns=list(_PROBLEM_COLUMNS))


# --- Soil profiles ------------------------------------------------------------------------------

def _layer_fields():
    return [f for f in _vorta.fields("layers") if f["key"] not in ("depth", "name")]


def _is_blank(value):
    return value is None or (isinstance(value, float) and math.isnan(value))


def layers_frame(analysis):
    """The soil profile as a frame, one row per layer: name, top, bottom, and every value of a
    layer: one column KEY when it is the same at the top and the bottom of every layer, else the
    two columns KEY_top and KEY_bottom. frame.attrs["units"] holds the unit of each column in the
    analysis's unit system. Analysis.with_layers takes such a frame back."""
    pandas = _pandas("Analysis.layers_frame()")
    si = analysis.units == "SI"
    layers = list(analysis.layers)
    columns = {"name": [layer.name for layer in layers], "top": [layer.top for layer in layers],
               "bottom": [layer.bottom for layer in layers]}
    units = {"top": "m" if si else "ft", "bottom": "m" if si else "ft"}
    for field in _layer_fields():
        key = field["key"]
        unit = field["si_unit"] if si else field["english_unit"]
        values = [getattr(layer, key) for layer in layers]
        if not all(v.uniform for v in values):
            for end, position in (("top", 0), ("bottom", 1)):
                columns[f"{key}_{end}"] = [v[position] for v in values]
                if unit:
                    units[f"{key}_{end}"] = unit
        else:
            columns[key] = [v.top for v in values]
            if unit:
                units[key] = unit
    frame = pandas.DataFrame(columns)
    frame.attrs["units"] = units
    return frame


def with_layers(analysis, frame):
    """A copy of the analysis whose soil profile is the rows of a frame (or of any sequence of
    mappings), one layer a row from the top down, in the columns of layers_frame(): a value as
    KEY, or as KEY_top and KEY_bottom. A blank cell (None or NaN) of a value that is not required
    takes its default. A column that names no value, a required value missing, or a value that is
    not what the field takes raises ValueError naming the row and the column."""
    if hasattr(frame, "to_dict") and hasattr(frame, "columns"):
        column_names = [str(c) for c in frame.columns]
        rows = frame.to_dict("records")
        labels = list(frame.index)
    else:
        rows = [dict(r) for r in frame]
        column_names = list(dict.fromkeys(k for r in rows for k in r))
        labels = list(range(len(rows)))
    fields = _layer_fields()
    known = ["name", "top", "bottom"]
    for field in fields:
        known += [field["key"], field["key"] + "_top", field["key"] + "_bottom"]
    for column in column_names:
        if column not in known:
            import difflib

            near = difflib.get_close_matches(column, known, 1)
            hint = f"; did you mean {near[0]}?" if near else ""
            raise ValueError(f"layers frame: column {column!r} names no value of a layer{hint}")
    layers = []
    for label, row in zip(labels, rows):
        where = f"layers frame, row {label!r}"
        values = {k: v for k, v in row.items() if not _is_blank(v)}
        for required in ("top", "bottom"):
            if required not in values:
                raise ValueError(f"{where}: {required}: missing; expected the depth of the layer's {required}")
        layer = _vorta.Layer()
        try:
            layer.top = values["top"]
            layer.bottom = values["bottom"]
            if "name" in values:
                layer.name = str(values["name"])
            for field in fields:
                key = field["key"]
                top, bottom = values.get(key + "_top"), values.get(key + "_bottom")
                if key in values:
                    if top is not None or bottom is not None:
                        raise ValueError(f"{key}: give {key}, or {key}_top and {key}_bottom, not both")
                    setattr(layer, key, values[key])
                elif top is not None or bottom is not None:
                    if top is None or bottom is None:
                        raise ValueError(f"{key}: {key}_top and {key}_bottom come together")
                    setattr(layer, key, (top, bottom))
                elif field["required"]:
                    raise ValueError(f"{key}: missing; expected the {field['meaning']}")
        except ValueError as error:
            raise ValueError(f"{where}: {error}") from None
        layers.append(layer)
    out = analysis.copy()
    out.layers = layers
    return out


# --- Soundings ------------------------------------------------------------------------------------

def sounding_frame(sounding, units=None):
    """The points of a sounding as a frame: depth, cone_resistance, sleeve_friction and
    pore_pressure (NaN where a point has none). `units` ("English" or "SI", as the analysis that
    holds the sounding states them) fills frame.attrs["units"]; a sounding does not know its units."""
    pandas = _pandas("Sounding.frame()")
    nan = float("nan")
    columns = {
        "depth": [p[0] for p in sounding.points],
        "cone_resistance": [p[1] for p in sounding.points],
        "sleeve_friction": [nan if v is None else v for v in sounding.sleeve_friction],
        "pore_pressure": [nan if v is None else v for v in sounding.pore_pressure],
    }
    frame = pandas.DataFrame(columns)
    if units is not None:
        length, stress = {"English": ("ft", "psf"), "SI": ("m", "kPa")}[units]
        frame.attrs["units"] = {"depth": length, "cone_resistance": stress, "sleeve_friction": stress,
                                "pore_pressure": stress}
    return frame

