#include "result_json.h"

#include <cctype>
#include <cmath>
#include <span>
#include <sstream>

#include "chart_page.h"
#include "csv_writer.h"
#include "design_answers.h"
#include "plot_data.h"

namespace vorta::server {
namespace {

using nlohmann::ordered_json;
using cli::ChartUnits;

// The heading of a column on the page: its meaning without the remark in brackets, capitalised.
std::string headingOf(std::string_view meaning) {
    std::string heading(meaning.substr(0, meaning.find(" (")));
    if (!heading.empty()) heading[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(heading[0])));
    return heading;
}

template <class Row>
ordered_json columnsJson(std::span<const ResultField<Row>> fields, int unitSystem) {
    ordered_json list = ordered_json::array();
    for (const ResultField<Row>& f : fields) {
        list.push_back({{"key", f.key}, {"label", headingOf(f.meaning)}, {"unit", resultUnitText(f.unit, unitSystem)}});
    }
    return list;
}

template <class Row>
ordered_json valueJson(const ResultField<Row>& f, const Row& row) {
    return f.flag ? ordered_json(f.get(row) != 0.0) : ordered_json(f.get(row));
}

template <class Row>
ordered_json rowsJson(std::span<const ResultField<Row>> fields, const std::vector<Row>& rows) {
    ordered_json list = ordered_json::array();
    for (const Row& row : rows) {
        ordered_json values = ordered_json::array();
        for (const ResultField<Row>& f : fields) values.push_back(valueJson(f, row));
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

    const ordered_json capacityColumns = columnsJson<CapacityRow>(kCapacityFields, r.unitSystem);
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
                          {"rows", rowsJson<CapacityRow>(kCapacityFields, t.rows)}});
    }
    out["tables"] = std::move(tables);
    out["layer_curves"] = curvesJson(r.layerCurves);
    out["tip_curve"] = pointsJson(r.tipCurve);
    out["verification_curves"] = curvesJson(r.verificationCurves);
    ordered_json distributions = ordered_json::array();
    for (const LoadStep& step : r.loadSteps) distributions.push_back(rowsJson<SegmentLoad>(kDistributionFields, step.distribution));
    out["load_steps"] = {{"columns", columnsJson<LoadStep>(kLoadStepFields, r.unitSystem)},
                         {"rows", rowsJson<LoadStep>(kLoadStepFields, r.loadSteps)},
                         {"distribution_columns", columnsJson<SegmentLoad>(kDistributionFields, r.unitSystem)},
                         {"distributions", std::move(distributions)}};
    out["charts"] = chartsJson(r);
    // The design answers as `vorta design --json` gives them; null without loads.
    out["design"] = r.design.empty() ? ordered_json() : ordered_json::parse(cli::designJson(r));
    // The sounding the run used (depth, qc), read from its file where the analysis names one.
    ordered_json sounding = ordered_json::array();
    for (const CptPoint& p : analysis.cpt.points) sounding.push_back({p.depth, p.coneResistance});
    out["sounding"] = {{"file", analysis.cpt.file ? ordered_json(analysis.cpt.file->name) : ordered_json()},
                       {"points", std::move(sounding)}};
    return out;
}

std::string capacityTablesCsv(const AnalysisResult& r) {
    std::ostringstream text;
    cli::CsvWriter csv(text);
    std::vector<std::string> heading = {"method"};
    for (const ResultField<CapacityRow>& f : kCapacityFields) {
        const std::string_view unit = resultUnitText(f.unit, r.unitSystem);
        heading.push_back(std::string(f.key) + (unit.empty() ? "" : " (" + std::string(unit) + ")"));
    }
    csv.writeRecord(heading);
    for (const MethodTable& t : r.tables) {
        for (const CapacityRow& row : t.rows) {
            std::vector<std::string> record = {methodKey(t.selection)};
            for (const ResultField<CapacityRow>& f : kCapacityFields) {
                const double v = f.get(row);
                if (f.flag) {
                    record.push_back(f.key == "plug_mark" ? (v != 0.0 ? "*" : "") : (v != 0.0 ? "yes" : "no"));
                } else {
                    record.push_back(shortestNumberText(v));
                }
            }
            csv.writeRecord(record);
        }
    }
    return text.str();
}

}  // namespace vorta::server
