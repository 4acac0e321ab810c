#include "input/free_format_reader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vorta {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSeparator(char c) { return isBlank(c) || c == ',' || c == '/'; }

std::string quoted(std::string_view s) {
    std::string q = "\"";
    for (char c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            q += '?';
        } else {
            q += c;
        }
    }
    return q + "\"";
}

}  // namespace

FreeFormatReader::FreeFormatReader(std::istream& in, std::string fileName)
    : in_(in), fileName_(std::move(fileName)) {}

bool FreeFormatReader::fetchLine() {
    if (!std::getline(in_, line_)) return false;
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    ++lineNumber_;
    pos_ = 0;
    haveLine_ = true;
    return true;
}

bool FreeFormatReader::tryReadLine(std::string& line, std::size_t width) {
    haveLine_ = false;
    if (!fetchLine()) return false;
    haveLine_ = false;
    line = line_;
    if (width > 0) {
        if (line.size() > width) line.resize(width);
        line.append(width - line.size(), ' ');
    }
    return true;
}

std::string FreeFormatReader::readLine(std::string_view record, std::size_t width) {
    std::string line;
    if (!tryReadLine(line, width)) {
        record_ = std::string(record);
        failAtEnd("a line of text");
    }
    return line;
}

void FreeFormatReader::beginRecord(std::string_view record) {
    record_ = std::string(record);
    separatorComma_ = true;
    slashSeen_ = false;
    repeatLeft_ = 0;
    haveLine_ = false;  // every record begins on a new line
}

void FreeFormatReader::endRecord() {
    haveLine_ = false;
    repeatLeft_ = 0;
}

FreeFormatReader::Next FreeFormatReader::nextToken(std::string_view what, std::string& token) {
    if (slashSeen_) return Next::EndOfRecord;
    if (repeatLeft_ > 0) {
        --repeatLeft_;
        if (repeatNull_) return Next::Null;
        token = repeatToken_;
        return Next::Value;
    }
    while (true) {
        if (!haveLine_) {
            if (!fetchLine()) failAtEnd(what);
        }
        while (pos_ < line_.size() && isBlank(line_[pos_])) ++pos_;
        if (pos_ >= line_.size()) {
            haveLine_ = false;  // the end of a line separates values like a blank
            continue;
        }
        const char c = line_[pos_];
        if (c == ',') {
            ++pos_;
            if (separatorComma_) return Next::Null;
            separatorComma_ = true;
            continue;
        }
        if (c == '/') {
            slashSeen_ = true;
            return Next::EndOfRecord;
        }
        std::size_t end = pos_;
        while (end < line_.size() && !isSeparator(line_[end])) ++end;
        token = line_.substr(pos_, end - pos_);
        pos_ = end;
        separatorComma_ = false;
        // r*v: the value v (or a null value when v is empty) repeated r times.
        const std::size_t star = token.find('*');
        if (star != std::string::npos) {
            int repeat = 0;
            if (star == 0 || !parseInteger(std::string_view(token).substr(0, star), repeat) || repeat < 1 ||
                token[0] == '+' || token[0] == '-')
                fail(what, token);
            repeatToken_ = token.substr(star + 1);
            repeatNull_ = repeatToken_.empty();
            repeatLeft_ = repeat - 1;
            if (repeatNull_) return Next::Null;
            token = repeatToken_;
        }
        return Next::Value;
    }
}

void FreeFormatReader::read(int& value, std::string_view what) {
    const std::string expected = "an integer for " + std::string(what);
    std::string token;
    const Next next = nextToken(expected, token);
    if (next != Next::Value) return;
    int v = 0;
    if (!parseInteger(token, v)) fail(expected, token);
    value = v;
}

void FreeFormatReader::read(double& value, std::string_view what) {
    const std::string expected = "a number for " + std::string(what);
    std::string token;
    const Next next = nextToken(expected, token);
    if (next != Next::Value) return;
    double v = 0.0;
    if (!parseReal(token, v)) fail(expected, token);
    value = v;
}

bool FreeFormatReader::parseInteger(std::string_view token, int& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i >= token.size()) return false;
    long long v = 0;
    for (; i < token.size(); ++i) {
        if (!isDigit(token[i])) return false;
        v = v * 10 + (token[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    return true;
}

bool FreeFormatReader::parseReal(std::string_view token, double& value) {
    // [sign] digits [. [digits]] | [sign] . digits, then optionally an exponent: a letter E, D or
    // Q with an optional sign, or a sign alone, followed by digits.
    std::string normal;
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) normal += token[i++];
    std::size_t mantissaDigits = 0;
    while (i < token.size() && isDigit(token[i])) {
        normal += token[i++];
        ++mantissaDigits;
    }
    if (i < token.size() && token[i] == '.') {
        normal += token[i++];
        while (i < token.size() && isDigit(token[i])) {
            normal += token[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < token.size()) {
        const char c = token[i];
        const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
        if (!letter && c != '+' && c != '-') return false;
        normal += 'e';
        if (letter) ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) normal += token[i++];
        std::size_t exponentDigits = 0;
        while (i < token.size() && isDigit(token[i])) {
            normal += token[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0 || i != token.size()) return false;
    }
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(normal.c_str(), &end);
    if (end == nullptr || *end != '\0' || (errno == ERANGE && (v > 1.0 || v < -1.0))) return false;
    value = v;
    return true;
}

void FreeFormatReader::fail(std::string_view what, std::string_view found) const {
    throw InputError(fileName_ + ", line " + std::to_string(lineNumber_) + " (" + record_ + "): expected " +
                     std::string(what) + ", found " + quoted(found));
}

void FreeFormatReader::failAtEnd(std::string_view what) const {
    throw InputError(fileName_ + ", line " + std::to_string(lineNumber_ + 1) + " (" + record_ +
                     "): the file ends where " + std::string(what) + " was expected");
}

}  // namespace vorta
