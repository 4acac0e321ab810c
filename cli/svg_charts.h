// Line charts as SVG: axes with ticks at round numbers, a grid, series told apart by line style,
// marker and colour (so that a black-and-white print still reads), and a legend. No script, no
// external style sheet or font: a chart is complete in itself.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorta::cli {

struct ChartSeries {
    std::string name;
    std::vector<std::pair<double, double>> points;  // (x, y) in the units of the axes
};

// A band of y values shaded across the plot behind the series, named at its right end: a layer
// of the soil profile beside a sounding.
struct ChartBand {
    double from = 0.0;
    double to = 0.0;
    std::string label;
};

// A vertical line across the plot at an x value, named at its foot: a design load on a capacity
// chart (the capacity it needs).
struct ChartGuide {
    double x = 0.0;
    std::string label;
};

// A point marked on the plot and named beside it, with a dotted line to the y axis: the length a
// design load needs.
struct ChartMark {
    double x = 0.0;
    double y = 0.0;
    std::string label;
};

struct Chart {
    std::string id;  // unique within a page; also names the chart for `vorta plot --chart`
    std::string title;
    std::string xLabel;
    std::string yLabel;
    bool yDownward = false;  // depths grow downwards and the x axis runs along the top
    std::vector<ChartSeries> series;
    std::vector<ChartBand> bands;
    std::vector<ChartGuide> guides;
    std::vector<ChartMark> marks;
};

// Ticks of an axis: from `low` to `high` in steps of 1, 2 or 5 times a power of ten, always
// taking in zero and the whole data range.
struct AxisTicks {
    double low = 0.0;
    double high = 1.0;
    double step = 0.2;
    int decimals = 1;  // decimals that the tick labels need
    std::vector<double> values;
};
AxisTicks niceTicks(double dataMin, double dataMax);

// A tick label: `decimals` decimals, without a minus sign on zero.
std::string formatTick(double value, int decimals);

// A number for a legend or a note: at most four significant digits, no exponent for ordinary
// magnitudes.
std::string formatValue(double value);

// Text for XML content and attribute values.
std::string xmlEscaped(std::string_view text);

// The chart as an <svg> element; `standalone` adds the XML declaration for a file of its own.
std::string renderChartSvg(const Chart& chart, bool standalone = false);

}  // namespace vorta::cli
