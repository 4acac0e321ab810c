#include "csv_writer.h"

#include <ostream>

namespace vorta::cli {

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string csvRecord(std::span<const std::string> fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) record += ',';
        record += csvField(fields[i]);
    }
    record += "\r\n";
    return record;
}

void CsvWriter::writeRecord(std::span<const std::string> fields) { out_ << csvRecord(fields); }

void CsvWriter::writeRecord(std::initializer_list<std::string> fields) {
    writeRecord(std::span<const std::string>(fields.begin(), fields.size()));
}

bool CsvWriter::good() const { return static_cast<bool>(out_); }

}  // namespace vorta::cli
