#include "engine/run_control.h"

#include <ctime>
#include <fstream>
#include <istream>
#include <system_error>

#include "engine/constants.h"
#include "input/free_format_reader.h"

namespace vorta {
namespace {

constexpr std::size_t kVersionWidth = 12;
constexpr std::size_t kTextFieldWidth = 256;
constexpr std::size_t kFileNameWidth = 255;

std::string trimTrailingBlanks(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
}

// A text line that cannot be taken as a file name: it holds control characters (a binary or
// damaged file). Such a line is a read error.
bool isUnreadableText(const std::string& line) {
    for (char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f) return true;
    }
    return false;
}

// One console prompt and its answer (the first 255 characters; the end of input is an empty answer).
std::string askFileName(AnalysisState& s, const FortranFormat& prompt) {
    s.console.write(prompt);
    if (s.console.stream() != nullptr) s.console.stream()->flush();
    std::string answer;
    if (s.consoleInput == nullptr || !std::getline(*s.consoleInput, answer)) answer.clear();
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (answer.size() > kFileNameWidth) answer.resize(kFileNameWidth);
    return trimTrailingBlanks(answer);
}

}  // namespace

void readRunControl(AnalysisState& s, const std::filesystem::path& runControlFile) {
    std::ifstream file(runControlFile);
    if (!file) throw InputError(runControlFile.string() + ": the run-control file cannot be opened");
    FreeFormatReader in(file, runControlFile.string());
    RunControl& rc = s.runControl;

    std::string line = in.readLine("line 1, version text", kVersionWidth);
    if (isUnreadableText(line)) throw InputError(runControlFile.string() + ", line 1: unreadable version text");
    rc.versionText = line;
    for (int n = 2; n <= 3; ++n) {
        line = in.readLine("line " + std::to_string(n) + ", text field", kTextFieldWidth);
        if (isUnreadableText(line))
            throw InputError(runControlFile.string() + ", line " + std::to_string(n) + ": unreadable text field");
    }
    int unused = 0;
    in.beginRecord("line 4, integer field");
    in.read(unused, "the integer field");
    in.endRecord();

    // Lines 5 to 8: the file names. The end of the file keeps the names read so far.
    std::string* names[] = {&rc.inputFileName, &rc.reportFileName, &rc.plotFileName, &rc.cptFileName};
    for (std::string* name : names) {
        if (!in.tryReadLine(line, 0)) return;
        if (isUnreadableText(line)) {
            // A read error: names.dat is abandoned and the console asks for the three names.
            rc.inputFileName = askFileName(s, "(/,/,7X,\"ENTER A FILE NAME FOR YOUR INPUT FILE.\",/,\" ENTER >\")");
            rc.reportFileName = askFileName(s, "(/,/,7X,\"ENTER A FILE NAME FOR YOUR OUTPUT FILE.\",/,\" ENTER >\")");
            rc.plotFileName =
                askFileName(s, "(/,/,7X,\"ENTER A FILE NAME FOR YOUR GRAPHIC DATA FILE.\",/,\" ENTER >\")");
            return;
        }
        if (line.size() > kFileNameWidth) line.resize(kFileNameWidth);
        *name = trimTrailingBlanks(line);
    }
}

void writeBanner(RecordWriter& out, const std::string& versionText) {
    std::string version = versionText.substr(0, kVersionWidth);
    version.append(kVersionWidth - version.size(), ' ');
    out.write("(5X,73('='),/,/,20X,\"  VORTA for Windows, Version \",A12,/,/,"
              "20X,\"   A Program for Analyzing the Axial Capacity \",/,"
              "20X,\"   and Short-term Settlement of Driven Piles \",/,"
              "20X,\"             under Axial Loading. \",/,/,5X,73('='))",
              version);
}

PathParts splitFileName(const std::filesystem::path& workingDirectory, const std::string& fileName) {
    PathParts parts;
    if (fileName.empty()) return parts;
    std::error_code ec;
    std::filesystem::path name(fileName);
    std::filesystem::path full = name.is_absolute() ? name : std::filesystem::absolute(workingDirectory / name, ec);
    if (ec) return parts;
    full = full.lexically_normal();
    parts.drive = full.root_name().string();
    std::filesystem::path directory = full.root_directory() / full.relative_path().parent_path();
    std::string dir = directory.make_preferred().string();
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (dir.empty() || dir.back() != separator) dir += separator;
    parts.directory = dir;
    parts.baseName = full.stem().string();
    parts.extension = full.extension().string().substr(0, 5);
    return parts;
}

void writeReportHeader(AnalysisState& s, const std::filesystem::path& workingDirectory, const LocalDateTime& now) {
    const RunControl& rc = s.runControl;
    writeBanner(s.report, rc.versionText);
    PathParts input = splitFileName(workingDirectory, rc.inputFileName);
    if (rc.inputInMemory) {
        // No file: the folder of the report, and a name that says where the analysis came from.
        input = splitFileName(workingDirectory, rc.reportFileName.empty() ? "." : rc.reportFileName);
        input.baseName = "(analysis given in memory)";
        input.extension.clear();
    }
    const PathParts report = splitFileName(workingDirectory, rc.reportFileName);
    const PathParts plot = splitFileName(workingDirectory, rc.plotFileName);
    s.report.write("(/,/,5X,\"Path to file locations      : \",A,A)", trimTrailingBlanks(input.drive),
                   trimTrailingBlanks(input.directory));
    s.report.write("(5X,\"Name of input data file     : \",A,A)", trimTrailingBlanks(input.baseName),
                   trimTrailingBlanks(input.extension));
    s.report.write("(5X,\"Name of output file         : \",A,A)", trimTrailingBlanks(report.baseName),
                   trimTrailingBlanks(report.extension));
    s.report.write("(5X,\"Name of plot output file    : \",A,A)", trimTrailingBlanks(plot.baseName),
                   trimTrailingBlanks(plot.extension));
    s.report.write("(/,5X,73('-'),/,26X,\"Time and Date of Analysis\",/,5X,73('-'),/)");
    static constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};
    if (now.month >= 1 && now.month <= 12) {
        s.report.write("(15X,\"Date:  \",A,1X,I2.2,\", \",I4,5X,\"Time:  \",I2.2,\":\",I2.2,\":\",I2.2)",
                       kMonths[now.month - 1], now.day, now.year, now.hour, now.minute, now.second);
    }
}

LocalDateTime localDateTimeNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void setUnitLabels(AnalysisState& s) {
    UnitLabels& u = s.unitLabels;
    if (s.input.unitSystem == kEnglish) {
        u = UnitLabels{"FT.", "IN.", "KIP", "KSF", "LB/FT^3", "IN2", "PSI"};
    } else if (s.input.unitSystem == kSi) {
        u = UnitLabels{"M. ", "MM.", "KN.", "KPA", "KN/M^3 ", "M2 ", "KPA"};
    } else {
        u = UnitLabels{"   ", "   ", "   ", "   ", "       ", "   ", "   "};
    }
}

}  // namespace vorta
