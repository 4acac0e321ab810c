#include "result_json.h"

#include <cmath>
#include <sstream>

#include "chart_page.h"
#include "csv_writer.h"
#include "plot_data.h"

namespace vorta::server {
namespace {

using nlohmann::ordered_json;
using cli::ChartUnits;

// A column of a result table: its key, its heading and the unit it is given in.
template <class Row>
struct Column {
    const char* key;
    const char* label;
    std::string ChartUnits::*unit;  // nullptr: no unit
    ordered_json (*value)(const Row&);
};

const Column<CapacityRow> kCapacityColumns[] = {
    {"pile_length", "Pile length", &ChartUnits::length, [](const CapacityRow& r) { return ordered_json(r.pileLength); }},
    {"depth", "Tip depth", &ChartUnits::length, [](const CapacityRow& r) { return ordered_json(r.depth); }},
    {"skin_friction", "Skin friction", &ChartUnits::force, [](const CapacityRow& r) { return ordered_json(r.skinFriction); }},
    {"tip_resistance", "End bearing or self weight", &ChartUnits::force,
     [](const CapacityRow& r) { return ordered_json(r.tipResistance); }},
    {"ultimate_capacity", "Ultimate capacity", &ChartUnits::force,
     [](const CapacityRow& r) { return ordered_json(r.ultimateCapacity); }},
    {"unit_friction", "Unit skin friction", &ChartUnits::unitFriction,
     [](const CapacityRow& r) { return ordered_json(r.unitFriction); }},
    {"plug_length", "Plug length", &ChartUnits::length, [](const CapacityRow& r) { return ordered_json(r.plugLength); }},
    {"plug_mark", "Plug friction governs", nullptr, [](const CapacityRow& r) { return ordered_json(r.plugMark); }},
    {"printed", "Printed in the report", nullptr, [](const CapacityRow& r) { return ordered_json(r.printed); }},
};

const Column<LoadStep> kLoadStepColumns[] = {
    {"top_load", "Top load", &ChartUnits::force, [](const LoadStep& s) { return ordered_json(s.topLoad); }},
    {"top_movement", "Top movement", &ChartUnits::movement, [](const LoadStep& s) { return ordered_json(s.topMovement); }},
    {"tip_load", "Tip load", &ChartUnits::force, [](const LoadStep& s) { return ordered_json(s.tipLoad); }},
    {"tip_movement", "Tip movement", &ChartUnits::movement, [](const LoadStep& s) { return ordered_json(s.tipMovement); }},
};

const Column<SegmentLoad> kSegmentColumns[] = {
    {"distance_from_head", "Distance from the pile head", &ChartUnits::length,
     [](const SegmentLoad& s) { return ordered_json(s.distanceFromHead); }},
    {"axial_load", "Axial load", &ChartUnits::force, [](const SegmentLoad& s) { return ordered_json(s.axialLoad); }},
    {"movement", "Movement", &ChartUnits::movement, [](const SegmentLoad& s) { return ordered_json(s.movement); }},
};

template <class Row, std::size_t N>
ordered_json columnsJson(const Column<Row> (&columns)[N], const ChartUnits& units) {
    ordered_json list = ordered_json::array();
    for (const Column<Row>& c : columns) {
        list.push_back({{"key", c.key}, {"label", c.label}, {"unit", c.unit == nullptr ? std::string() : units.*c.unit}});
    }
    return list;
}

template <class Row, std::size_t N>
ordered_json rowsJson(const Column<Row> (&columns)[N], const std::vector<Row>& rows) {
    ordered_json list = ordered_json::array();
    for (const Row& row : rows) {
        ordered_json values = ordered_json::array();
        for (const Column<Row>& c : columns) values.push_back(c.value(row));
        list.push_back(std::move(values));
    }
    return list;
}

ordered_json pointsJson(const std::vector<CurvePoint>& points) {
    ordered_json list = ordered_json::array();
    for (const CurvePoint& p : points) list.push_back({p.movement, p.load});
    return list;
}

ordered_json curvesJson(const std::vector<TransferCurve>& curves) {
    ordered_json list = ordered_json::array();
    for (const TransferCurve& c : curves) {
        list.push_back({{"number", c.number}, {"depth", c.depth}, {"points", pointsJson(c.points)}});
    }
    return list;
}

ordered_json chartsJson(const AnalysisResult& result) {
    ordered_json sections = ordered_json::array();
    for (const cli::ChartSection& section : cli::chartsOfAnalysis(result)) {
        ordered_json charts = ordered_json::array();
        for (const cli::Chart& chart : section.charts) {
            ordered_json series = ordered_json::array();
            for (const cli::ChartSeries& s : chart.series) {
                ordered_json points = ordered_json::array();
                for (const auto& [x, y] : s.points) points.push_back({x, y});
                series.push_back({{"name", s.name}, {"points", std::move(points)}});
            }
            ordered_json guides = ordered_json::array();
            for (const cli::ChartGuide& g : chart.guides) guides.push_back({{"x", g.x}, {"label", g.label}});
            ordered_json marks = ordered_json::array();
            for (const cli::ChartMark& m : chart.marks) marks.push_back({{"x", m.x}, {"y", m.y}, {"label", m.label}});
            charts.push_back({{"id", chart.id},
                              {"title", chart.title},
                              {"x_label", chart.xLabel},
                              {"y_label", chart.yLabel},
                              {"y_downward", chart.yDownward},
                              {"series", std::move(series)},
                              {"guides", std::move(guides)},
                              {"marks", std::move(marks)}});
        }
        sections.push_back({{"id", section.id}, {"heading", section.heading}, {"charts", std::move(charts)}});
    }
    return sections;
}

std::string methodKey(int selection) {
    return std::string(choiceName(methodNames(), selection));
}

// The design answers, with the keys of `vorta design --json`: the method, the numbers of the
// result field table (null for a length that is not there) and the advisory; null without loads.
ordered_json designJson(const AnalysisResult& r) {
    if (r.design.empty()) return nullptr;
    ordered_json list = ordered_json::array();
    for (const DesignAnswer& a : r.design) {
        ordered_json answer;
        answer["method"] = a.method;
        for (const ResultField<DesignAnswer>& f : kDesignAnswerFields) {
            const double v = f.get(a);
            answer[std::string(f.key)] = f.flag ? ordered_json(v != 0.0) : std::isnan(v) ? ordered_json() : ordered_json(v);
        }
        answer["advisory"] = a.advisory.empty() ? ordered_json() : ordered_json(a.advisory);
        list.push_back(std::move(answer));
    }
    return list;
}

}  // namespace

ordered_json resultJson(const AnalysisResult& r, RunStatus status, const Analysis& analysis) {
    const ChartUnits units = cli::chartUnitsFor(r.unitSystem);
    ordered_json out;
    out["status"] = status;
    out["messages"] = r.messages;
    out["title"] = r.title;
    out["designer"] = r.designer;
    out["job_number"] = r.jobNumber;
    out["units"] = {{"system", r.unitSystem == 1 ? "English" : r.unitSystem == 2 ? "SI" : ""},
                    {"length", units.length},
                    {"force", units.force},
                    {"load_transfer", units.loadTransfer},
                    {"movement", units.movement},
                    {"unit_friction", units.unitFriction}};
    const std::optional<double> water = assumedWaterTableDepth(analysis);
    out["water_table_depth"] = water ? ordered_json(*water) : ordered_json();
    out["load_transfer_method"] = r.loadTransferMethod == 0 ? ordered_json() : ordered_json(methodKey(r.loadTransferMethod));

    const ordered_json capacityColumns = columnsJson(kCapacityColumns, units);
    ordered_json tables = ordered_json::array();
    for (const MethodTable& t : r.tables) {
        tables.push_back({{"selection", t.selection},
                          {"method", methodKey(t.selection)},
                          {"title", t.title},
                          {"tension", t.tension},
                          {"battered", t.battered},
                          {"plug_column", t.plugColumn},
                          {"rows_as_driven", t.rowsAsDriven},
                          {"columns", capacityColumns},
                          {"rows", rowsJson(kCapacityColumns, t.rows)}});
    }
    out["tables"] = std::move(tables);
    out["layer_curves"] = curvesJson(r.layerCurves);
    out["tip_curve"] = pointsJson(r.tipCurve);
    out["verification_curves"] = curvesJson(r.verificationCurves);
    ordered_json distributions = ordered_json::array();
    for (const LoadStep& step : r.loadSteps) distributions.push_back(rowsJson(kSegmentColumns, step.distribution));
    out["load_steps"] = {{"columns", columnsJson(kLoadStepColumns, units)},
                         {"rows", rowsJson(kLoadStepColumns, r.loadSteps)},
                         {"distribution_columns", columnsJson(kSegmentColumns, units)},
                         {"distributions", std::move(distributions)}};
    out["charts"] = chartsJson(r);
    out["design"] = designJson(r);
    // The sounding the run used (depth, qc), read from its file where the analysis names one.
    ordered_json sounding = ordered_json::array();
    for (const CptPoint& p : analysis.cpt.points) sounding.push_back({p.depth, p.coneResistance});
    out["sounding"] = {{"file", analysis.cpt.file ? ordered_json(analysis.cpt.file->name) : ordered_json()},
                       {"points", std::move(sounding)}};
    return out;
}

std::string capacityTablesCsv(const AnalysisResult& r) {
    const ChartUnits units = cli::chartUnitsFor(r.unitSystem);
    std::ostringstream text;
    cli::CsvWriter csv(text);
    std::vector<std::string> heading = {"method"};
    for (const Column<CapacityRow>& c : kCapacityColumns) {
        const std::string unit = c.unit == nullptr ? std::string() : units.*c.unit;
        heading.push_back(std::string(c.key) + (unit.empty() ? "" : " (" + unit + ")"));
    }
    csv.writeRecord(heading);
    for (const MethodTable& t : r.tables) {
        for (const CapacityRow& row : t.rows) {
            std::vector<std::string> record = {methodKey(t.selection)};
            for (const Column<CapacityRow>& c : kCapacityColumns) {
                const ordered_json v = c.value(row);
                if (v.is_boolean()) {
                    const bool yes = v.get<bool>();
                    record.push_back(std::string_view(c.key) == "plug_mark" ? (yes ? "*" : "") : (yes ? "yes" : "no"));
                } else {
                    record.push_back(shortestNumberText(v.get<double>()));
                }
            }
            csv.writeRecord(record);
        }
    }
    return text.str();
}

}  // namespace vorta::server
