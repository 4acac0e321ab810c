// Reader of the engine's text input files: whole-line records (titles, file names) and
// free-format records (numbers separated by blanks, commas or tabs). A free-format record may
// continue over several lines until all its values are read; whatever follows its last value on
// that line is discarded, so the next record begins on a new line. As in a Fortran list-directed
// read, r*v repeats a value r times, two commas in a row leave a value unchanged (a null value),
// and a slash ends the record leaving its remaining values unchanged.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "vorta/vorta.h"

namespace vorta {

class FreeFormatReader {
public:
    FreeFormatReader(std::istream& in, std::string fileName);

    // A whole-line record: the first `width` characters of the next line, blank-padded to `width`
    // (width 0: the whole line). Throws InputError at the end of the file.
    std::string readLine(std::string_view record, std::size_t width);

    // Like readLine, but returns false at the end of the file instead of throwing.
    bool tryReadLine(std::string& line, std::size_t width);

    // Free-format record: beginRecord names it for messages, the reads take its values in order,
    // endRecord discards the rest of its last line. A null value or a value after a slash leaves
    // the variable as it was.
    void beginRecord(std::string_view record);
    void read(int& value, std::string_view what);
    void read(double& value, std::string_view what);
    void endRecord();

    const std::string& fileName() const { return fileName_; }
    int lineNumber() const { return lineNumber_; }

    // Syntax checks of one token, shared with the tests: a Fortran integer or real constant.
    static bool parseInteger(std::string_view token, int& value);
    static bool parseReal(std::string_view token, double& value);

private:
    enum class Next { Value, Null, EndOfRecord };
    // What a read expects, as a message names it ("a number for " "the depth"); the text is put
    // together only when a message needs it.
    struct Expected {
        std::string_view kind;
        std::string_view what;
        std::string text() const { return std::string(kind) + std::string(what); }
    };
    // The next value of the record; `token` stays valid until the next call.
    Next nextToken(const Expected& what, std::string_view& token);
    bool fetchLine();
    [[noreturn]] void fail(const Expected& what, std::string_view found) const;
    [[noreturn]] void failAtEnd(const Expected& what) const;

    std::istream& in_;
    std::string fileName_;
    std::string record_;
    std::string line_;
    std::size_t pos_ = 0;
    int lineNumber_ = 0;
    bool haveLine_ = false;
    bool separatorComma_ = true;  // a comma since the last value: a further comma is a null value
    bool slashSeen_ = false;
    int repeatLeft_ = 0;
    bool repeatNull_ = false;
    std::string repeatToken_;
};

}  // namespace vorta
