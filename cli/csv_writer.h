// Comma-separated tables as RFC 4180 writes them: a field that holds a comma, a double quote, a
// carriage return or a line feed is enclosed in double quotes with its quotes doubled; every other
// field is written as it stands, blanks included; each record ends with CR LF.
#pragma once

#include <initializer_list>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace vorta::cli {

// One field as it appears in the file.
std::string csvField(std::string_view text);

// One record, fields separated by commas and ended by CR LF.
std::string csvRecord(std::span<const std::string> fields);

class CsvWriter {
public:
    // The stream should be opened in binary mode, so that the CR LF line ends reach the file unchanged.
    explicit CsvWriter(std::ostream& out) : out_(out) {}

    void writeRecord(std::span<const std::string> fields);
    void writeRecord(std::initializer_list<std::string> fields);

    // False once a write to the stream has failed.
    bool good() const;

private:
    std::ostream& out_;
};

}  // namespace vorta::cli
