// The CPT files of any format: which format a file is, the reader that reads it, the notes.
#include "vorta/cpt_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "readers.h"
#include "text_input.h"

namespace vorta {

using datain::parseNumber;
using datain::splitBlanks;
using datain::trimmed;

std::string_view cptFormatName(CptFormat format) {
    switch (format) {
        case CptFormat::Gef: return "GEF";
        case CptFormat::Ags4: return "AGS4";
        case CptFormat::Csv: return "CSV";
        case CptFormat::Engine: break;
    }
    return "CPT file";
}

CptFormat detectCptFormat(std::string_view text, const std::filesystem::path& name) {
    for (const datain::TextLine& l : datain::splitLines(text)) {
        const std::string_view first = trimmed(l.text);
        if (first.empty()) continue;
        if (datain::upperCase(first.substr(0, 6)) == "#GEFID") return CptFormat::Gef;
        if (first.starts_with("\"GROUP\"") || first.starts_with("GROUP,") || first.starts_with("\"**")) return CptFormat::Ags4;
        break;
    }
    const std::string ext = datain::lowerCase(name.extension().string());
    if (ext == ".gef") return CptFormat::Gef;
    if (ext == ".ags") return CptFormat::Ags4;
    if (ext == ".csv" || ext == ".tsv" || ext == ".txt") return CptFormat::Csv;
    if (ext == ".cpt") return CptFormat::Engine;
    for (const datain::TextLine& l : datain::splitLines(text)) {
        if (trimmed(l.text).empty()) continue;
        std::string line(l.text);
        for (char& c : line) c = c == ',' ? ' ' : c;
        const std::vector<std::string> values = splitBlanks(line);
        const auto whole = [](const std::string& v) {
            const std::optional<double> n = parseNumber(v);
            return n && v.find_first_of(".eE") == std::string::npos && std::fabs(*n) < 1.0e15;
        };
        return values.size() >= 2 && whole(values[0]) && whole(values[1]) ? CptFormat::Engine : CptFormat::Csv;
    }
    return CptFormat::Csv;
}

CptFormat detectCptFileFormat(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return detectCptFormat(head, file);
}

CptReading readCptText(std::string_view text, const std::string& fileName, const CptReadOptions& options) {
    if (options.every < 1) throw InputError(fileName + ": expected every n-th point with n of 1 or more, found " + std::to_string(options.every));
    const CptFormat format = options.format.value_or(detectCptFormat(text, fileName));
    if (format == CptFormat::Engine) {
        std::istringstream in{std::string(text)};
        CptReading reading;
        reading.sounding = readCptSounding(in, fileName);
        return reading;
    }
    const std::vector<datain::TextLine> lines = datain::splitLines(text);
    if (format == CptFormat::Gef) return datain::readGef(lines, fileName, options);
    if (format == CptFormat::Ags4) return datain::readAgs4(lines, fileName, options);
    return datain::readCsv(lines, fileName, options);
}

CptReading readCptFile(const std::filesystem::path& file, const CptReadOptions& options) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) throw InputError(file.string() + ": a folder, not a CPT file");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InputError(file.string() + ": the CPT file cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw InputError(file.string() + ": the CPT file cannot be read");
    return readCptText(text.str(), file.string(), options);
}

std::vector<std::string> cptNoteLines(const std::string& fileName, const CptReading& reading) {
    std::vector<std::string> out;
    if (reading.surfaceLevel) {
        char level[40];
        std::snprintf(level, sizeof level, "%g", *reading.surfaceLevel);
        out.push_back(fileName + ": the ground surface is at level " + level + " (#ZID); the depths are below it");
    }
    for (const CptNote& n : reading.notes) {
        std::string where;
        for (std::size_t i = 0; i < n.lines.size();) {
            std::size_t j = i;
            while (j + 1 < n.lines.size() && n.lines[j + 1] == n.lines[j] + 1) ++j;
            where += (where.empty() ? "" : ", ") + std::to_string(n.lines[i]);
            if (j > i) where += "-" + std::to_string(n.lines[j]);
            i = j + 1;
        }
        const char* lines = n.lines.size() == 1 ? ", line " : ", lines ";
        out.push_back(fileName + (where.empty() ? std::string() : lines + where) + ": " + n.what);
    }
    return out;
}

Sounding readSoundingFile(const SoundingFile& file, UnitSystem units) {
    CptReadOptions options;
    options.units = units;
    options.location = file.location;
    options.depthColumn = file.depthColumn;
    options.qcColumn = file.qcColumn;
    options.every = file.every;
    const CptReading reading = readCptFile(file.path, options);
    Sounding s = reading.sounding;
    s.file = file;
    s.file->statesUnits = reading.format != CptFormat::Engine;
    s.file->notes = cptNoteLines(file.path.string(), reading);
    return s;
}

}  // namespace vorta
