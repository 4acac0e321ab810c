// The run-control file names.dat, the console prompts that replace it when its file names cannot
// be read, and the banner and header at the top of the report.
#pragma once

#include <filesystem>
#include <string>

#include "engine/analysis_state.h"
#include "vorta/vorta.h"

namespace vorta {

// Reads names.dat into s.runControl. Lines 1 to 4 must be readable (InputError otherwise); a read
// error on lines 5 to 8 switches to the console prompts; the end of the file keeps the names read
// so far.
void readRunControl(AnalysisState& s, const std::filesystem::path& runControlFile);

// The banner: the first nine lines of the report header.
void writeBanner(RecordWriter& out, const std::string& versionText);

// Drive, directory (with its trailing separator), base name and extension (with its dot, up to
// five characters) of a file name made absolute against a working directory. All four are empty
// when the name cannot be made absolute.
struct PathParts {
    std::string drive;
    std::string directory;
    std::string baseName;
    std::string extension;
};
PathParts splitFileName(const std::filesystem::path& workingDirectory, const std::string& fileName);

// The report header: banner, file names, date and time.
void writeReportHeader(AnalysisState& s, const std::filesystem::path& workingDirectory, const LocalDateTime& now);

// The local date and time now.
LocalDateTime localDateTimeNow();

// Unit texts of the report from unitSystem (blank for an unknown system).
void setUnitLabels(AnalysisState& s);

}  // namespace vorta
