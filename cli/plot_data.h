// Reader of a run's plot-data file, and of the parts of its report that the file does not carry:
// the run's title lines, the method of each capacity table and the table variants.
//
// The plot-data file holds numbers only; the reader finds its way by the count records ahead of
// each block, and checks every record against the layout the engine writes, so that a wrong count
// or a file cut short stops with the file, the line and what was expected rather than drawing
// whatever the following lines happen to hold.
#pragma once

#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "vorta/methods.h"
#include "vorta/result.h"

namespace vorta::cli {

// One capacity table as its report prints it.
struct ReportTable {
    int selection = 0;  // 1 FHWA .. 9 UWA, as methodSelected counts them
    std::string title;  // the banner without its stars, e.g. "FED. HWY. METHOD"
    bool tension = false;
    bool battered = false;
    bool plugColumn = false;
    std::string lengthLabel;  // the unit line's labels, e.g. "FT." and "KIP"
    std::string forceLabel;
    std::vector<double> pileLengths;  // first column of every printed row
    int bannerLine = 0;               // line of the banner text, for messages
};

struct ReportInfo {
    std::string fileName;
    std::string title;
    std::string designer;
    std::string jobNumber;
    std::vector<ReportTable> tables;  // in report order
};

// The report's title lines and capacity tables. Throws InputError when the file has no input echo
// (a report of a run that could not read its input) or a table is cut short.
ReportInfo readReportInfo(std::istream& in, const std::string& fileName);
ReportInfo readReportInfo(const std::filesystem::path& file);

// The method titles by selection index 1..9 (index 0 is empty), as the table banners print them.
std::string_view methodTitle(int selection);

// The unit texts that charts print for a unit system (1 English, 2 SI; any other value: none).
struct ChartUnits {
    std::string length;        // pile lengths, depths, distances from the head
    std::string force;         // capacities, loads
    std::string loadTransfer;  // t-z unit load transfer
    std::string movement;      // t-z, tip and pile movements
    std::string unitFriction;  // unit skin friction of the capacity rows
};
ChartUnits chartUnitsFor(int unitSystem);

// Contents of a plot-data file.
struct PlotData {
    // The header record.
    int methodCount = 0;  // may count a general method whose table is absent
    int printedRowCount = 0;
    int unitSystem = 0;
    int loadTransferMethod = 0;

    // Whether the method of each capacity table is known (the report was read with the file).
    bool tablesNamed = false;
    // The header counts one method more than there are capacity blocks: the general method was
    // selected but no segment carried user values, so it printed no table.
    bool generalBlockAbsent = false;

    // Tables, curves and load steps in the shape of a run's in-memory results; without the report
    // the tables have no title and selection 0.
    AnalysisResult result;
};

// Reads a plot-data file; `report`, when given, is the report of the same run. Throws InputError
// naming the file, the line and the record expected when the file does not hold what its count
// records announce, or when the report does not belong to it.
PlotData readPlotData(std::istream& in, const std::string& fileName, const ReportInfo* report = nullptr);
PlotData readPlotData(const std::filesystem::path& file, const std::optional<std::filesystem::path>& report);

}  // namespace vorta::cli
