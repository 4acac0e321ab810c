// The charts of an analysis and their HTML page.
#include "chart_page.h"

#include <algorithm>
#include <cstdio>

#include "plot_data.h"

namespace vorta::cli {
namespace {

std::string withUnit(const std::string& label, const std::string& unit) {
    return unit.empty() ? label : label + " (" + unit + ")";
}

std::string tableName(const MethodTable& t, std::size_t index, bool tablesNamed) {
    if (tablesNamed && !t.title.empty()) return t.title;
    return "Capacity table " + std::to_string(index + 1);
}

std::string tipColumnName(const MethodTable& t, bool tablesNamed) {
    if (!tablesNamed) return "End bearing or self weight";
    return t.tension ? "Self weight" : "End bearing";
}

std::string fixed2(double v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

// t-z curves in charts of kCurvesPerChart curves each.
void addCurveCharts(std::vector<Chart>& charts, const std::vector<TransferCurve>& curves, const std::string& idPrefix,
                    const std::string& titlePrefix, const ChartUnits& u) {
    for (std::size_t first = 0; first < curves.size(); first += kCurvesPerChart) {
        const std::size_t last = std::min(curves.size(), first + kCurvesPerChart);
        Chart c;
        c.id = idPrefix + std::to_string(first / kCurvesPerChart + 1);
        c.title = titlePrefix + " " + std::to_string(curves[first].number);
        if (last - first > 1) c.title += " to " + std::to_string(curves[last - 1].number);
        c.xLabel = withUnit("Movement", u.movement);
        c.yLabel = withUnit("Unit load transfer", u.loadTransfer);
        for (std::size_t i = first; i < last; ++i) {
            ChartSeries s;
            s.name = "Curve " + std::to_string(curves[i].number) + " at " + fixed2(curves[i].depth) +
                     (u.length.empty() ? "" : " " + u.length);
            for (const CurvePoint& p : curves[i].points) s.points.emplace_back(p.movement, p.load);
            c.series.push_back(std::move(s));
        }
        charts.push_back(std::move(c));
    }
}

// The layers of a soil profile (pairs of points from the top down) as bands: the soil type and
// the layer's name.
std::vector<ChartBand> layerBands(const Analysis& a) {
    std::vector<ChartBand> bands;
    if (!pairsIntoLayers(a.soilProfile)) return bands;
    for (std::size_t i = 0; i + 1 < a.soilProfile.size(); i += 2) {
        const ProfilePoint& top = a.soilProfile[i];
        std::string label(choiceName(soilTypeNames(), static_cast<int>(top.soilType)));
        if (!top.name.empty()) label += label.empty() ? top.name : ": " + top.name;
        bands.push_back({top.depth, a.soilProfile[i + 1].depth, label});
    }
    return bands;
}

}  // namespace

std::optional<ChartSection> soundingSection(const Analysis& a) {
    if (a.cpt.points.empty()) return std::nullopt;
    const bool si = a.units == UnitSystem::SI;
    const std::string length = si ? "m" : "ft";
    const std::string stress = si ? "kPa" : "psf";
    ChartSection section{"sounding", "CPT sounding and soil profile", {}};
    Chart qc;
    qc.id = "sounding-qc";
    qc.title = "Cone resistance against depth";
    qc.xLabel = withUnit("Cone resistance qc", stress);
    qc.yLabel = withUnit("Depth below ground", length);
    qc.yDownward = true;
    qc.bands = layerBands(a);
    ChartSeries cone{"Cone resistance qc", {}};
    ChartSeries friction{"Sleeve friction fs", {}};
    ChartSeries pressure{"Pore pressure u2", {}};
    for (const CptPoint& p : a.cpt.points) {
        cone.points.emplace_back(p.coneResistance, p.depth);
        if (p.sleeveFriction) friction.points.emplace_back(*p.sleeveFriction, p.depth);
        if (p.porePressure) pressure.points.emplace_back(*p.porePressure, p.depth);
    }
    qc.series.push_back(std::move(cone));
    section.charts.push_back(qc);
    if (!friction.points.empty() || !pressure.points.empty()) {
        Chart other = qc;
        other.id = "sounding-fs-u2";
        other.title = "Sleeve friction and pore pressure against depth";
        other.xLabel = withUnit("Sleeve friction fs, pore pressure u2", stress);
        other.series.clear();
        if (!friction.points.empty()) other.series.push_back(std::move(friction));
        if (!pressure.points.empty()) other.series.push_back(std::move(pressure));
        section.charts.push_back(std::move(other));
    }
    return section;
}

// The design loads on a method's capacity chart: a line at the capacity each needs (the load
// times the factor of safety) and a ring at the least length that carries it. Where the table's
// rows are not piles driven to each length (the CPT-based methods' described rows, FHWA, a
// tapered pile's end bearing), the capacity of such piles is drawn too, and the rings sit on it.
void addDesign(Chart& c, const AnalysisResult& r, const MethodTable& t, const ChartUnits& u) {
    bool any = false;
    for (const DesignAnswer& a : r.design) {
        if (a.selection != t.selection) continue;
        any = true;
        const std::string needed = formatValue(a.load * a.factorOfSafety) + " " + u.force;
        const std::string label = a.factorOfSafety != 1.0 ? "Load " + formatValue(a.load) + " x " +
                                                                formatValue(a.factorOfSafety) + " = " + needed
                                                          : "Load " + needed;
        c.guides.push_back(ChartGuide{a.load * a.factorOfSafety, label});
        if (a.embeddedLength) {
            c.marks.push_back(ChartMark{a.capacity, *a.embeddedLength, formatValue(*a.embeddedLength) + " " + u.length});
        }
    }
    if (!any || t.drivenCapacity.size() != t.rows.size()) return;
    bool differs = false;
    for (std::size_t k = 0; k < t.rows.size(); ++k) differs = differs || t.drivenCapacity[k] != t.rows[k].ultimateCapacity;
    if (!differs) return;
    ChartSeries driven{"Ultimate capacity, each length a pile driven to it", {}};
    for (std::size_t k = 0; k < t.rows.size(); ++k) driven.points.emplace_back(t.drivenCapacity[k], t.rows[k].pileLength);
    c.series.push_back(std::move(driven));
}

std::vector<ChartSection> chartsOfAnalysis(const AnalysisResult& r, bool tablesNamed) {
    const ChartUnits u = chartUnitsFor(r.unitSystem);
    std::vector<ChartSection> sections;

    if (!r.tables.empty()) {
        ChartSection capacity{"capacity", "Capacity against pile length", {}};
        for (std::size_t i = 0; i < r.tables.size(); ++i) {
            const MethodTable& t = r.tables[i];
            Chart c;
            c.id = "capacity-" + std::to_string(i + 1);
            c.title = tableName(t, i, tablesNamed) + ": capacity against pile length";
            c.xLabel = withUnit("Capacity", u.force);
            c.yLabel = withUnit("Pile length below ground", u.length);
            c.yDownward = true;
            ChartSeries skin{"Skin friction", {}};
            ChartSeries tip{tipColumnName(t, tablesNamed), {}};
            ChartSeries ultimate{"Ultimate capacity", {}};
            for (const CapacityRow& row : t.rows) {
                skin.points.emplace_back(row.skinFriction, row.pileLength);
                tip.points.emplace_back(row.tipResistance, row.pileLength);
                ultimate.points.emplace_back(row.ultimateCapacity, row.pileLength);
            }
            c.series = {std::move(ultimate), std::move(skin), std::move(tip)};
            addDesign(c, r, t, u);
            capacity.charts.push_back(std::move(c));
        }
        Chart all;
        all.id = "ultimate";
        all.title = "Ultimate capacity of every method";
        all.xLabel = withUnit("Ultimate capacity", u.force);
        all.yLabel = withUnit("Pile length below ground", u.length);
        all.yDownward = true;
        for (std::size_t i = 0; i < r.tables.size(); ++i) {
            ChartSeries s{tableName(r.tables[i], i, tablesNamed), {}};
            for (const CapacityRow& row : r.tables[i].rows) s.points.emplace_back(row.ultimateCapacity, row.pileLength);
            all.series.push_back(std::move(s));
        }
        capacity.charts.push_back(std::move(all));
        sections.push_back(std::move(capacity));
    }

    if (!r.layerCurves.empty() || !r.tipCurve.empty()) {
        ChartSection transfer{"load-transfer", "Load-transfer curves", {}};
        addCurveCharts(transfer.charts, r.layerCurves, "layer-tz-", "Layer t-z curves", u);
        if (!r.tipCurve.empty()) {
            Chart c;
            c.id = "tip-qw";
            c.title = "Tip q-w curve";
            c.xLabel = withUnit("Tip movement", u.movement);
            c.yLabel = withUnit("Tip load", u.force);
            ChartSeries s{"Tip load", {}};
            for (const CurvePoint& p : r.tipCurve) s.points.emplace_back(p.movement, p.load);
            c.series.push_back(std::move(s));
            transfer.charts.push_back(std::move(c));
        }
        sections.push_back(std::move(transfer));
    }

    if (!r.loadSteps.empty()) {
        ChartSection settlement{"load-settlement", "Load versus settlement", {}};
        Chart curve;
        curve.id = "load-settlement";
        curve.title = "Load versus settlement";
        curve.xLabel = withUnit("Load", u.force);
        curve.yLabel = withUnit("Movement", u.movement);
        curve.yDownward = true;
        ChartSeries top{"Pile top: top load against top movement", {}};
        ChartSeries tip{"Pile tip: tip load against tip movement", {}};
        for (const LoadStep& step : r.loadSteps) {
            top.points.emplace_back(step.topLoad, step.topMovement);
            tip.points.emplace_back(step.tipLoad, step.tipMovement);
        }
        curve.series = {std::move(top), std::move(tip)};
        settlement.charts.push_back(std::move(curve));

        Chart distribution;
        distribution.id = "load-distribution";
        distribution.title = "Load distribution along the pile";
        distribution.xLabel = withUnit("Axial load", u.force);
        distribution.yLabel = withUnit("Distance from the pile head", u.length);
        distribution.yDownward = true;
        for (std::size_t j = 0; j < r.loadSteps.size(); ++j) {
            const LoadStep& step = r.loadSteps[j];
            ChartSeries s{"Step " + std::to_string(j + 1) + ": top load " + formatValue(step.topLoad) +
                              (u.force.empty() ? "" : " " + u.force),
                          {}};
            for (const SegmentLoad& seg : step.distribution) s.points.emplace_back(seg.axialLoad, seg.distanceFromHead);
            distribution.series.push_back(std::move(s));
        }
        settlement.charts.push_back(std::move(distribution));
        sections.push_back(std::move(settlement));
    }

    if (!r.verificationCurves.empty()) {
        ChartSection verification{"verification", "Verification t-z curves", {}};
        addCurveCharts(verification.charts, r.verificationCurves, "verification-tz-", "Verification t-z curves", u);
        sections.push_back(std::move(verification));
    }
    return sections;
}

std::string renderChartPage(const AnalysisResult& r, const ChartPageOptions& options) {
    const std::string heading = r.title.empty() ? "Pile analysis" : r.title;
    std::string html;
    html += "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n";
    html += "<meta charset=\"utf-8\"/>\n<title>" + xmlEscaped(heading) + " - VORTA charts</title>\n";
    html += "<style>\n"
            "body { font-family: Helvetica, Arial, sans-serif; color: #000000; background: #ffffff; margin: 24px; }\n"
            "h1 { font-size: 20px; margin-bottom: 8px; }\n"
            "h2 { font-size: 16px; margin-top: 32px; border-bottom: 1px solid #000000; }\n"
            "table.facts td { padding: 1px 16px 1px 0; vertical-align: top; }\n"
            "p.note { font-style: italic; }\n"
            "div.advisories { border: 1px solid #000000; padding: 4px 12px; margin: 16px 0; }\n"
            "div.advisories h2 { margin-top: 8px; border-bottom: none; }\n"
            "figure { margin: 16px 0; break-inside: avoid; page-break-inside: avoid; }\n"
            "svg { max-width: 100%; height: auto; }\n"
            "@media print { body { margin: 0; } h2 { break-after: avoid; page-break-after: avoid; } }\n"
            "</style>\n</head>\n<body>\n";
    html += "<h1>" + xmlEscaped(heading) + "</h1>\n<table class=\"facts\">\n";
    const auto fact = [&](const std::string& name, const std::string& value) {
        if (!value.empty()) html += "<tr><td>" + xmlEscaped(name) + "</td><td>" + xmlEscaped(value) + "</td></tr>\n";
    };
    fact("Designer", r.designer);
    fact("Job number", r.jobNumber);
    fact("Units", r.unitSystem == 1 ? "English (ft, kip, in, psi)"
                  : r.unitSystem == 2 ? "SI (m, kN, kPa)"
                                      : "unit system " + std::to_string(r.unitSystem) + " (no unit labels)");
    if (!r.loadSteps.empty()) {
        const std::string_view method = methodTitle(r.loadTransferMethod);
        fact("Load transfer from", method.empty() ? "method " + std::to_string(r.loadTransferMethod) : std::string(method));
    }
    for (const std::string& source : options.sources) fact("Drawn from", source);
    html += "</table>\n";
    if (!options.tablesNamed) {
        html += "<p class=\"note\">Drawn without the report: the capacity tables are numbered in report order, "
                "and their tip column is the end bearing in compression or the self weight in tension.</p>\n";
    }
    if (options.generalBlockAbsent) {
        html += "<p class=\"note\">The general method was selected, but no soil layer carries user unit values: it "
                "has no table.</p>\n";
    }

    // What the run assumed, above the charts drawn from it.
    std::string advisories;
    for (const Problem& p : r.problems) {
        if (p.severity == Severity::Advisory) advisories += "<li>" + xmlEscaped(p.message) + "</li>\n";
    }
    if (!advisories.empty()) {
        html += "<div class=\"advisories\">\n<h2>Advisories: what the run assumed</h2>\n<ul>\n" + advisories + "</ul>\n</div>\n";
    }

    std::vector<ChartSection> sections = chartsOfAnalysis(r, options.tablesNamed);
    if (options.analysis != nullptr) {
        if (std::optional<ChartSection> sounding = soundingSection(*options.analysis)) sections.push_back(std::move(*sounding));
    }
    if (sections.empty()) html += "<p class=\"note\">The run left no results to chart.</p>\n";
    for (const ChartSection& section : sections) {
        html += "<section id=\"" + xmlEscaped(section.id) + "\">\n<h2>" + xmlEscaped(section.heading) + "</h2>\n";
        for (const Chart& chart : section.charts) html += "<figure>\n" + renderChartSvg(chart) + "</figure>\n";
        html += "</section>\n";
    }
    html += "</body>\n</html>\n";
    return html;
}

}  // namespace vorta::cli
