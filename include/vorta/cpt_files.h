// CPT files as engineers receive them, read into a sounding of the analysis model: GEF files, AGS4
// files (the SCPT group), CSV or text files with a header row, and the engine's own CPT file.
// docs/cpt-files.md states what each reader takes from its format and the rules for messy data.
//
// Every depth and cone resistance is converted from the units the file states to the units of
// the analysis (ft and psf, or m and kPa). Nothing is dropped silently: a row that cannot give a
// point (a void or negative cone resistance, a depth that goes back up or repeats, a row above
// the ground surface or the pre-excavated depth) is skipped and named in a note; a file that
// cannot be used throws InputError naming the file, the line and what was expected.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/analysis.h"

namespace vorta {

enum class CptFormat { Engine, Gef, Ags4, Csv };

// "GEF", "AGS4", "CSV", "CPT file" (the engine's).
std::string_view cptFormatName(CptFormat format);

struct CptReadOptions {
    UnitSystem units = UnitSystem::SI;  // of the points read (and of an engine CPT file as it stands)
    std::optional<CptFormat> format;    // empty: from the content, else the extension
    std::string location;     // AGS4: the LOCA_ID of the sounding (needed when the file holds several)
    std::string depthColumn;  // CSV: the name of the depth column, when not found by its name
    std::string qcColumn;     // CSV: the name of the cone resistance column, likewise
    int every = 1;            // keep every n-th point (and the last): a file of more points than the engine takes
};

// What reading a file skipped or left out, with the lines it concerns.
struct CptNote {
    std::string what;       // "void cone resistance (-9999): row skipped"
    std::vector<int> lines; // of the file, in order
};

struct CptReading {
    Sounding sounding;           // header 0; file empty (a project file's reader fills it)
    CptFormat format = CptFormat::Engine;
    std::string location;        // AGS4: LOCA_ID; GEF: #TESTID; empty when the file names none
    std::optional<double> surfaceLevel;  // GEF #ZID: the height of the ground surface, m (depths are below it)
    std::vector<CptNote> notes;
};

// The format of a file: GEF by its "#GEFID" line, AGS4 by its "GROUP" row, otherwise by the
// extension (.gef, .ags, .csv, .tsv, .txt, .cpt), otherwise a file whose first line holds two whole
// numbers is the engine's CPT file and any other a CSV file.
CptFormat detectCptFormat(std::string_view text, const std::filesystem::path& name);

// The format of a file by its first lines and its name (detectCptFormat); a file that cannot be
// read is taken by its name alone.
CptFormat detectCptFileFormat(const std::filesystem::path& file);

// Reads a file or a text (`fileName` names it in the messages). Throws InputError.
CptReading readCptFile(const std::filesystem::path& file, const CptReadOptions& options = {});
CptReading readCptText(std::string_view text, const std::string& fileName, const CptReadOptions& options = {});

// What a reading has to say, one line each: its notes ("CPT01.gef, lines 40-42, 57: void cone
// resistance: row skipped") and the ground surface level of a GEF file.
std::vector<std::string> cptNoteLines(const std::string& fileName, const CptReading& reading);

// The sounding file of a project file: the file read with the options it states, the points in
// the analysis's units and the reference kept (notes as lines of text).
Sounding readSoundingFile(const SoundingFile& file, UnitSystem units);

}  // namespace vorta
