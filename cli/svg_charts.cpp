// SVG line charts.
#include "svg_charts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vorta::cli {
namespace {

// Page geometry of one chart, in SVG user units (pixels on screen).
constexpr double kWidth = 760;
constexpr double kPlotLeft = 84;
constexpr double kPlotRight = kWidth - 28;
constexpr double kPlotHeight = 340;
constexpr double kLegendRowHeight = 18;
constexpr std::size_t kMaxLegendColumns = 3;
constexpr double kLegendSampleWidth = 42;  // the line and marker ahead of the name
constexpr double kCharWidth = 6.7;         // a generous average width of a 12-unit character
constexpr std::size_t kMarkedPointsWanted = 24;  // markers on every point up to about this many

constexpr const char* kFont = "Helvetica, Arial, sans-serif";

// Colours dark enough for print, with a line style and a marker of their own for each series.
constexpr std::array<const char*, 7> kColours = {"#000000", "#1f4e9e", "#b22222", "#2e7d32",
                                                 "#6a1b9a", "#b35900", "#00707a"};
constexpr std::array<const char*, 6> kDashes = {"", "7 3", "2 3", "9 3 2 3", "14 4", "4 2 1 2"};
enum class Marker { Circle, Square, Triangle, Diamond, TriangleDown, Cross, Plus };
constexpr std::array<Marker, 7> kMarkers = {Marker::Circle,       Marker::Square, Marker::Triangle, Marker::Diamond,
                                            Marker::TriangleDown, Marker::Cross,  Marker::Plus};

struct SeriesStyle {
    const char* colour;
    const char* dash;
    Marker marker;
};

SeriesStyle styleOf(std::size_t index) {
    return SeriesStyle{kColours[index % kColours.size()], kDashes[index % kDashes.size()],
                       kMarkers[index % kMarkers.size()]};
}

std::string num(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    std::string s = buffer;
    if (s == "-0.00") s = "0.00";
    return s;
}

std::string markerSvg(Marker m, double x, double y, const char* colour) {
    const std::string fill = std::string(" fill=\"") + colour + "\" stroke=\"" + colour + "\"";
    const double r = 3.5;
    switch (m) {
        case Marker::Circle:
            return "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\"" + fill + "/>";
        case Marker::Square:
            return "<rect x=\"" + num(x - r) + "\" y=\"" + num(y - r) + "\" width=\"" + num(2 * r) + "\" height=\"" +
                   num(2 * r) + "\"" + fill + "/>";
        case Marker::Triangle:
            return "<path d=\"M" + num(x) + "," + num(y - r - 0.5) + " L" + num(x + r) + "," + num(y + r) + " L" +
                   num(x - r) + "," + num(y + r) + " Z\"" + fill + "/>";
        case Marker::TriangleDown:
            return "<path d=\"M" + num(x) + "," + num(y + r + 0.5) + " L" + num(x + r) + "," + num(y - r) + " L" +
                   num(x - r) + "," + num(y - r) + " Z\"" + fill + "/>";
        case Marker::Diamond:
            return "<path d=\"M" + num(x) + "," + num(y - r - 1) + " L" + num(x + r + 1) + "," + num(y) + " L" +
                   num(x) + "," + num(y + r + 1) + " L" + num(x - r - 1) + "," + num(y) + " Z\"" + fill + "/>";
        case Marker::Cross:
            return "<path d=\"M" + num(x - r) + "," + num(y - r) + " L" + num(x + r) + "," + num(y + r) + " M" +
                   num(x - r) + "," + num(y + r) + " L" + num(x + r) + "," + num(y - r) + "\" fill=\"none\" stroke=\"" +
                   colour + "\" stroke-width=\"1.6\"/>";
        case Marker::Plus:
            return "<path d=\"M" + num(x - r - 0.5) + "," + num(y) + " L" + num(x + r + 0.5) + "," + num(y) + " M" +
                   num(x) + "," + num(y - r - 0.5) + " L" + num(x) + "," + num(y + r + 0.5) +
                   "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.6\"/>";
    }
    return "";
}

std::string lineAttributes(const SeriesStyle& style) {
    std::string a = std::string(" fill=\"none\" stroke=\"") + style.colour +
                    "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"";
    if (style.dash[0] != '\0') a += std::string(" stroke-dasharray=\"") + style.dash + "\"";
    return a;
}

std::string text(double x, double y, std::string_view content, std::string_view extra = "") {
    std::string t = "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"";
    if (!extra.empty()) t += " " + std::string(extra);
    return t + ">" + xmlEscaped(content) + "</text>";
}

}  // namespace

AxisTicks niceTicks(double dataMin, double dataMax) {
    AxisTicks t;
    double low = std::isfinite(dataMin) ? std::min(dataMin, 0.0) : 0.0;
    double high = std::isfinite(dataMax) ? std::max(dataMax, 0.0) : 0.0;
    if (!(high - low > 0.0) || !std::isfinite(high - low)) {
        if (high - low > 0.0) {  // a span too wide for a double: keep what the data can show
            low = std::max(low, -1.0e300);
            high = std::min(high, 1.0e300);
        } else {
            low = 0.0;
            high = 1.0;
        }
    }
    const double rough = (high - low) / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double f = rough / magnitude;
    const double step = (f < 1.5 ? 1.0 : f < 3.0 ? 2.0 : f < 7.0 ? 5.0 : 10.0) * magnitude;
    const double first = std::floor(low / step + 1.0e-9);
    const double last = std::ceil(high / step - 1.0e-9);
    t.step = step;
    t.low = first * step;
    t.high = last * step;
    // Zero lies within the ticks, so there are only a handful of them either side of it.
    for (long long i = std::llround(first); i <= std::llround(last); ++i) t.values.push_back(static_cast<double>(i) * step);
    t.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1.0e-9)));
    return t;
}

std::string formatTick(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, 20), value);
    std::string s = buffer;
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
    return s;
}

std::string formatValue(double value) {
    if (value == 0.0) return "0";
    if (!std::isfinite(value)) return "-";
    const double a = std::fabs(value);
    char buffer[64];
    if (a >= 1.0e-4 && a < 1.0e7) {
        const int decimals = std::max(0, 3 - static_cast<int>(std::floor(std::log10(a))));
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        std::string s = buffer;
        if (s.find('.') != std::string::npos) {
            while (s.back() == '0') s.pop_back();
            if (s.back() == '.') s.pop_back();
        }
        return s;
    }
    std::snprintf(buffer, sizeof buffer, "%.3e", value);
    return buffer;
}

std::string xmlEscaped(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (const char c : in) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                // Control characters are not allowed in XML text; a report line never needs them.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
                    out += ' ';
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string renderChartSvg(const Chart& chart, bool standalone) {
    // Range of the data: every finite point of every series.
    double xMin = std::numeric_limits<double>::infinity();
    double xMax = -xMin;
    double yMin = xMin;
    double yMax = -xMin;
    for (const ChartSeries& s : chart.series) {
        for (const auto& [x, y] : s.points) {
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            xMin = std::min(xMin, x);
            xMax = std::max(xMax, x);
            yMin = std::min(yMin, y);
            yMax = std::max(yMax, y);
        }
    }
    for (const ChartBand& b : chart.bands) {
        if (!std::isfinite(b.from) || !std::isfinite(b.to)) continue;
        yMin = std::min({yMin, b.from, b.to});
        yMax = std::max({yMax, b.from, b.to});
    }
    for (const ChartGuide& g : chart.guides) {
        if (!std::isfinite(g.x)) continue;
        xMin = std::min(xMin, g.x);
        xMax = std::max(xMax, g.x);
    }
    const AxisTicks xt = niceTicks(xMin, xMax);
    const AxisTicks yt = niceTicks(yMin, yMax);

    // Layout: the title, the x axis on top (depth charts) or below, the plot area, the legend.
    const double titleY = 22;
    const double plotTop = chart.yDownward ? 84 : 44;
    const double plotBottom = plotTop + kPlotHeight;
    const double plotWidth = kPlotRight - kPlotLeft;
    const double legendTop = chart.yDownward ? plotBottom + 26 : plotBottom + 58;
    // As many legend columns (up to three) as the longest name leaves room for.
    std::size_t longestName = 0;
    for (const ChartSeries& s : chart.series) longestName = std::max(longestName, s.name.size());
    const double entryWidth = kLegendSampleWidth + kCharWidth * static_cast<double>(longestName) + 16;
    const std::size_t legendColumns =
        std::clamp<std::size_t>(static_cast<std::size_t>((kPlotRight - kPlotLeft) / entryWidth), 1, kMaxLegendColumns);
    const std::size_t legendRows = (chart.series.size() + legendColumns - 1) / legendColumns;
    const double height = legendTop + static_cast<double>(legendRows) * kLegendRowHeight + 12;

    const auto px = [&](double x) { return kPlotLeft + (x - xt.low) / (xt.high - xt.low) * plotWidth; };
    const auto py = [&](double y) {
        const double f = (y - yt.low) / (yt.high - yt.low);
        return chart.yDownward ? plotTop + f * kPlotHeight : plotBottom - f * kPlotHeight;
    };

    std::string svg;
    if (standalone) svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" id=\"" + xmlEscaped(chart.id) + "\" class=\"chart\" width=\"" +
           num(kWidth) + "\" height=\"" + num(height) + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(height) +
           "\" font-family=\"" + kFont + "\" font-size=\"12\" role=\"img\">\n";
    svg += "<title>" + xmlEscaped(chart.title) + "</title>\n";
    svg += "<rect x=\"0\" y=\"0\" width=\"" + num(kWidth) + "\" height=\"" + num(height) + "\" fill=\"#ffffff\"/>\n";
    svg += text(kWidth / 2, titleY, chart.title, "text-anchor=\"middle\" font-size=\"15\" font-weight=\"bold\"") + "\n";

    // Bands, alternately shaded, each named at its right end.
    if (!chart.bands.empty()) {
        svg += "<g class=\"bands\">\n";
        for (std::size_t i = 0; i < chart.bands.size(); ++i) {
            const ChartBand& b = chart.bands[i];
            if (!std::isfinite(b.from) || !std::isfinite(b.to)) continue;
            const double top = std::min(py(b.from), py(b.to));
            const double bottom = std::max(py(b.from), py(b.to));
            svg += "<rect x=\"" + num(kPlotLeft) + "\" y=\"" + num(top) + "\" width=\"" + num(plotWidth) + "\" height=\"" +
                   num(bottom - top) + "\" fill=\"" + (i % 2 == 0 ? "#f0f0f0" : "#e0e0e0") + "\"/>\n";
            svg += text(kPlotRight - 6, (top + bottom) / 2 + 4, b.label,
                        "class=\"band-label\" text-anchor=\"end\" font-size=\"11\" fill=\"#404040\"") +
                   "\n";
        }
        svg += "</g>\n";
    }

    // Grid and ticks.
    svg += "<g class=\"axes\" stroke=\"#000000\">\n";
    for (double v : xt.values) {
        const double x = px(v);
        svg += "<line x1=\"" + num(x) + "\" y1=\"" + num(plotTop) + "\" x2=\"" + num(x) + "\" y2=\"" + num(plotBottom) +
               "\" stroke=\"" + (v == 0.0 ? "#808080" : "#d0d0d0") + "\" stroke-width=\"0.8\"/>\n";
        const double tickY = chart.yDownward ? plotTop : plotBottom;
        const double tickEnd = chart.yDownward ? plotTop - 5 : plotBottom + 5;
        svg += "<line x1=\"" + num(x) + "\" y1=\"" + num(tickY) + "\" x2=\"" + num(x) + "\" y2=\"" + num(tickEnd) +
               "\" stroke-width=\"1\"/>\n";
        svg += text(x, chart.yDownward ? plotTop - 9 : plotBottom + 18, formatTick(v, xt.decimals),
                    "class=\"tick\" text-anchor=\"middle\" stroke=\"none\" fill=\"#000000\"") +
               "\n";
    }
    for (double v : yt.values) {
        const double y = py(v);
        svg += "<line x1=\"" + num(kPlotLeft) + "\" y1=\"" + num(y) + "\" x2=\"" + num(kPlotRight) + "\" y2=\"" + num(y) +
               "\" stroke=\"" + (v == 0.0 ? "#808080" : "#d0d0d0") + "\" stroke-width=\"0.8\"/>\n";
        svg += "<line x1=\"" + num(kPlotLeft - 5) + "\" y1=\"" + num(y) + "\" x2=\"" + num(kPlotLeft) + "\" y2=\"" +
               num(y) + "\" stroke-width=\"1\"/>\n";
        svg += text(kPlotLeft - 8, y + 4, formatTick(v, yt.decimals),
                    "class=\"tick\" text-anchor=\"end\" stroke=\"none\" fill=\"#000000\"") +
               "\n";
    }
    svg += "<rect x=\"" + num(kPlotLeft) + "\" y=\"" + num(plotTop) + "\" width=\"" + num(plotWidth) + "\" height=\"" +
           num(kPlotHeight) + "\" fill=\"none\" stroke-width=\"1.2\"/>\n";
    svg += "</g>\n";
    svg += text(kPlotLeft + plotWidth / 2, chart.yDownward ? plotTop - 30 : plotBottom + 40, chart.xLabel,
                "class=\"axis-label\" text-anchor=\"middle\" font-size=\"13\"") +
           "\n";
    const double yLabelX = 20;
    const double yLabelY = plotTop + kPlotHeight / 2;
    svg += text(yLabelX, yLabelY, chart.yLabel,
                "class=\"axis-label\" text-anchor=\"middle\" font-size=\"13\" transform=\"rotate(-90 " + num(yLabelX) +
                    " " + num(yLabelY) + ")\"") +
           "\n";

    // Series: the line through every point, then markers.
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        const ChartSeries& s = chart.series[i];
        const SeriesStyle style = styleOf(i);
        std::string points;
        std::vector<std::pair<double, double>> drawn;
        for (const auto& [x, y] : s.points) {
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            drawn.emplace_back(px(x), py(y));
            if (!points.empty()) points += ' ';
            points += num(drawn.back().first) + "," + num(drawn.back().second);
        }
        svg += "<g class=\"series\" data-name=\"" + xmlEscaped(s.name) + "\" data-points=\"" +
               std::to_string(drawn.size()) + "\">\n";
        svg += "<polyline points=\"" + points + "\"" + lineAttributes(style) + "/>\n";
        const std::size_t every = std::max<std::size_t>(1, (drawn.size() + kMarkedPointsWanted - 1) / kMarkedPointsWanted);
        svg += "<g class=\"markers\">";
        for (std::size_t k = 0; k < drawn.size(); ++k) {
            if (k % every == 0 || k + 1 == drawn.size()) {
                svg += markerSvg(style.marker, drawn[k].first, drawn[k].second, style.colour);
            }
        }
        svg += "</g>\n</g>\n";
    }

    // Guides: dashed vertical lines named at their foot; marks: a ring on the point, a dotted line
    // to the y axis and the name beside the ring.
    if (!chart.guides.empty() || !chart.marks.empty()) {
        svg += "<g class=\"design\">\n";
        const double foot = chart.yDownward ? plotBottom - 6 : plotTop + 14;
        // The labels one above the other, so that neighbouring lines keep theirs apart.
        double labelY = foot;
        for (const ChartGuide& g : chart.guides) {
            if (!std::isfinite(g.x)) continue;
            const double x = px(g.x);
            svg += "<line class=\"guide\" x1=\"" + num(x) + "\" y1=\"" + num(plotTop) + "\" x2=\"" + num(x) + "\" y2=\"" +
                   num(plotBottom) + "\" stroke=\"#7a0000\" stroke-width=\"1.4\" stroke-dasharray=\"8 4\"/>\n";
            const double y = labelY;
            labelY += chart.yDownward ? -14 : 14;
            svg += text(x - 4, y, g.label,
                        "class=\"guide-label\" text-anchor=\"end\" font-size=\"11\" fill=\"#7a0000\"") +
                   "\n";
        }
        for (const ChartMark& m : chart.marks) {
            if (!std::isfinite(m.x) || !std::isfinite(m.y)) continue;
            const double x = px(m.x);
            const double y = py(m.y);
            svg += "<line class=\"mark-line\" x1=\"" + num(kPlotLeft) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x) +
                   "\" y2=\"" + num(y) + "\" stroke=\"#7a0000\" stroke-width=\"1\" stroke-dasharray=\"2 3\"/>\n";
            svg += "<circle class=\"mark\" cx=\"" + num(x) + "\" cy=\"" + num(y) +
                   "\" r=\"5\" fill=\"none\" stroke=\"#7a0000\" stroke-width=\"2\"/>\n";
            svg += text(x + 8, y - 6, m.label, "class=\"mark-label\" font-size=\"11\" fill=\"#7a0000\"") + "\n";
        }
        svg += "</g>\n";
    }

    // Legend, in rows below the plot.
    svg += "<g class=\"legend\">\n";
    const double columnWidth = plotWidth / static_cast<double>(legendColumns);
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        const SeriesStyle style = styleOf(i);
        const double x = kPlotLeft + static_cast<double>(i % legendColumns) * columnWidth;
        const double y = legendTop + static_cast<double>(i / legendColumns) * kLegendRowHeight;
        svg += "<g class=\"legend-entry\">";
        svg += "<line x1=\"" + num(x) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x + 34) + "\" y2=\"" + num(y) + "\"" +
               lineAttributes(style) + "/>";
        svg += markerSvg(style.marker, x + 17, y, style.colour);
        svg += text(x + 42, y + 4, chart.series[i].name);
        svg += "</g>\n";
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace vorta::cli
