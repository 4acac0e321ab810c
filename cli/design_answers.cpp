#include "design_answers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "analysis_files.h"
#include "chart_page.h"
#include "csv_writer.h"
#include "problem_output.h"
#include "vorta/analysis.h"
#include "vorta/project.h"
#include "vorta/vorta.h"

namespace vorta::cli {
namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 64;

std::string_view lengthUnit(int unitSystem) { return unitSystem == 2 ? "m" : "ft"; }
std::string_view forceUnit(int unitSystem) { return unitSystem == 2 ? "kN" : "kips"; }

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// The spacing of the rows, from the first table's lengths (the lengths are linear between them).
double rowSpacing(const AnalysisResult& result) {
    for (const MethodTable& t : result.tables) {
        if (t.rows.size() >= 2) return t.rows[1].pileLength - t.rows[0].pileLength;
    }
    return 0.0;
}

// What the capacity is: ultimate, divided by the factor of safety, or factored by the layers.
std::string capacityWords(const AnalysisResult& result) {
    if (result.design.empty()) return "";
    const DesignAnswer& a = result.design.front();
    const bool tension = !result.tables.empty() && result.tables.front().tension;
    std::string words = tension ? "tension capacity" : "ultimate capacity";
    if (a.factored) return "factored " + words + " (the layers' LRFD resistance factors)";
    if (a.factorOfSafety != 1.0) return words + " divided by a factor of safety of " + shortestNumberText(a.factorOfSafety);
    return words;
}

std::string jsonNumber(double v) { return std::isfinite(v) ? shortestNumberText(v) : "null"; }

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

bool parseNumber(std::string_view text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

void printUsage(std::ostream& out) {
    out << "usage: vorta design FILE [--cpt FILE] [--load LOAD]... [--factor-of-safety F] [--json]\n"
           "                    [--chart ID [-o OUT.svg]]\n"
           "  the least embedded length each method of FILE (a project file or an input data file)\n"
           "  needs for each load (kips or kN, uplift loads in tension), without writing the report:\n"
           "  --load replaces the loads of the file's [design] (one or more); --factor-of-safety\n"
           "  divides the ultimate capacity (default: the file's, else 1); --json prints a list of\n"
           "  objects {method, load, factor_of_safety, embedded_length (null when not reached),\n"
           "  capacity, ...} instead of the table; --chart capacity-N (the N-th table) or ultimate writes\n"
           "  that chart, each load a line and each method's length marked, as an SVG file (OUT\n"
           "  defaults to FILE's base name, a hyphen and ID, with .svg)\n"
           "exit status: 0 answered, 1 the analysis stopped on its input, 2 a file could not be used,\n"
           "             64 a usage error\n";
}

}  // namespace

void printDesignTable(const AnalysisResult& result, std::ostream& out) {
    if (result.design.empty()) return;
    const std::string_view len = lengthUnit(result.unitSystem);
    const std::string_view force = forceUnit(result.unitSystem);
    out << "\nDesign answers: the least embedded length whose " << capacityWords(result) << " reaches each load\n";
    out << "  " << std::left << std::setw(16) << "method" << std::right << std::setw(14)
        << ("load " + std::string(force)) << std::setw(22) << ("embedded length " + std::string(len)) << std::setw(18)
        << ("capacity " + std::string(force)) << "\n";
    for (const DesignAnswer& a : result.design) {
        out << "  " << std::left << std::setw(16) << a.method << std::right << std::setw(14) << fixed(a.load, 1);
        if (a.embeddedLength) {
            out << std::setw(22) << fixed(*a.embeddedLength, 2) << std::setw(18) << fixed(a.capacity, 1);
            // Lost again deeper: the advisories of the run say so in full.
            if (a.fallsBelowAgainAt) out << "   lost again from " << fixed(*a.fallsBelowAgainAt, 2) << " " << len;
            out << "\n";
        } else {
            out << "    not reached within the pile (largest " << fixed(a.capacity, 1) << " " << force << " at "
                << fixed(a.capacityLength, 2) << " " << len << ")\n";
        }
    }
    out << "  Lengths are linear between the rows (every " << fixed(rowSpacing(result), 2) << " " << len
        << "); each row is a pile driven to that penetration.\n";
}

fs::path designFileOf(const fs::path& report) {
    fs::path file = report;
    file.replace_extension();
    file += ".design.csv";
    return file;
}

bool writeDesignCsv(const AnalysisResult& result, const fs::path& file, std::string& error) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = file.string() + ": the design file cannot be created";
        return false;
    }
    CsvWriter csv(out);
    const std::string len(lengthUnit(result.unitSystem));
    const std::string force(forceUnit(result.unitSystem));
    csv.writeRecord({"method", "load_" + force, "factor_of_safety", "factored", "embedded_length_" + len,
                     "capacity_" + force, "capacity_length_" + len, "falls_below_again_at_" + len, "note"});
    for (const DesignAnswer& a : result.design) {
        std::string note = a.embeddedLength ? "linear between rows" : "not reached within the pile; the largest capacity";
        if (!a.advisory.empty()) note += "; " + a.advisory;
        csv.writeRecord({a.method, shortestNumberText(a.load), shortestNumberText(a.factorOfSafety), a.factored ? "yes" : "no",
                         a.embeddedLength ? shortestNumberText(*a.embeddedLength) : "", shortestNumberText(a.capacity),
                         shortestNumberText(a.capacityLength),
                         a.fallsBelowAgainAt ? shortestNumberText(*a.fallsBelowAgainAt) : "", note});
    }
    out.flush();
    if (!csv.good()) {
        error = file.string() + ": the design file could not be written completely";
        return false;
    }
    return true;
}

std::string designJson(const AnalysisResult& result) {
    std::string json = "[";
    for (std::size_t i = 0; i < result.design.size(); ++i) {
        const DesignAnswer& a = result.design[i];
        json += i == 0 ? "\n" : ",\n";
        json += "  {\"method\": " + jsonString(a.method);
        // The numbers by the result field table: a length that is not there is null.
        for (const ResultField<DesignAnswer>& f : kDesignAnswerFields) {
            const double v = f.get(a);
            json += ", \"" + std::string(f.key) + "\": " + (f.flag ? (v != 0.0 ? "true" : "false") : jsonNumber(v));
        }
        json += ", \"advisory\": " + (a.advisory.empty() ? std::string("null") : jsonString(a.advisory)) + "}";
    }
    json += result.design.empty() ? "]\n" : "\n]\n";
    return json;
}

int designCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    fs::path file, cpt, chartFile;
    std::string chart;
    std::vector<double> loads;
    std::optional<double> factor;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        auto value = [&](std::string_view& text) {
            if (i + 1 >= args.size()) {
                err << "vorta: design: " << a << " needs a value\n";
                return false;
            }
            text = args[++i];
            return true;
        };
        std::string_view text;
        if (a == "--help" || a == "-h") {
            printUsage(out);
            return 0;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--load") {
            double load = 0.0;
            if (!value(text)) return kUsageError;
            if (!parseNumber(text, load) || !(load > 0.0)) {
                err << "vorta: design: --load " << text << ": expected a load above 0 in kips or kN\n";
                return kUsageError;
            }
            loads.push_back(load);
        } else if (a == "--factor-of-safety") {
            double f = 0.0;
            if (!value(text)) return kUsageError;
            if (!parseNumber(text, f) || f < 1.0) {
                err << "vorta: design: --factor-of-safety " << text << ": expected a number of 1 or more\n";
                return kUsageError;
            }
            factor = f;
        } else if (a == "--cpt") {
            if (!value(text)) return kUsageError;
            cpt = fs::path(std::string(text));
        } else if (a == "--chart") {
            if (!value(text)) return kUsageError;
            chart = std::string(text);
        } else if (a == "-o") {
            if (!value(text)) return kUsageError;
            chartFile = fs::path(std::string(text));
        } else if (!a.empty() && a[0] == '-') {
            err << "vorta: design: unknown option " << a << "\n";
            printUsage(err);
            return kUsageError;
        } else if (file.empty()) {
            file = fs::path(std::string(a));
        } else {
            err << "vorta: design takes one analysis file\n";
            return kUsageError;
        }
    }
    if (file.empty()) {
        printUsage(err);
        return kUsageError;
    }
    AnalysisFile read;
    try {
        read = readAnyAnalysisFile(file, ReadOptions{cpt, {}});
        printSoundingNotes(read.analysis, err);
    } catch (const InputError& e) {
        std::istringstream text(e.what());
        for (std::string line; std::getline(text, line);) err << "vorta: " << line << "\n";
        return kRunFileError;
    }
    Analysis& analysis = read.analysis;
    if (!loads.empty()) analysis.design.loads = loads;
    if (factor) analysis.design.factorOfSafety = *factor;
    if (analysis.design.loads.empty()) {
        err << "vorta: design: " << file.string() << " gives no design loads; name them with --load LOAD\n";
        return kUsageError;
    }

    // The run in memory: nothing is written.
    std::ostringstream console;
    AnalysisResult result;
    RunOptions options;
    options.console = &console;
    options.result = &result;
    options.sourceName = file.string();
    options.sourceKind = read.kind;
    options.sourceLines = &read.lines;
    const RunStatus status = runAnalysis(analysis, options);
    if (status != kRunCompleted) {
        for (const std::string& m : result.messages) err << "vorta: " << m << "\n";
        return status;
    }
    if (result.design.empty()) {
        err << "vorta: design: " << file.string() << " selects no method that gives a table\n";
        return kRunStoppedOnInput;
    }
    if (json) {
        out << designJson(result);
    } else {
        printAdvisories(out, result.problems, file.string());
        printDesignTable(result, out);
    }
    if (chart.empty()) return 0;
    // The one chart, as an SVG file of its own.
    for (const ChartSection& section : chartsOfAnalysis(result)) {
        for (const Chart& c : section.charts) {
            if (c.id != chart) continue;
            if (chartFile.empty()) chartFile = fs::path(file).replace_extension().string() + "-" + chart + ".svg";
            std::ofstream svg(chartFile, std::ios::binary | std::ios::trunc);
            svg << renderChartSvg(c, true);
            if (!svg.flush()) {
                err << "vorta: " << chartFile.string() << ": the chart cannot be written\n";
                return kRunFileError;
            }
            if (!json) out << "Chart written to " << chartFile.string() << "\n";
            return 0;
        }
    }
    err << "vorta: design: no chart " << chart << "; the capacity charts are capacity-1 to capacity-"
        << result.tables.size() << " and ultimate\n";
    return kUsageError;
}

}  // namespace vorta::cli
