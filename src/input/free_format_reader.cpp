#include "input/free_format_reader.h"

#include <array>
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
        record_.assign(record);
        failAtEnd({"", "a line of text"});
    }
    return line;
}

void FreeFormatReader::beginRecord(std::string_view record) {
    record_.assign(record);
    separatorComma_ = true;
    slashSeen_ = false;
    repeatLeft_ = 0;
    haveLine_ = false;  // every record begins on a new line
}

void FreeFormatReader::endRecord() {
    haveLine_ = false;
    repeatLeft_ = 0;
}

FreeFormatReader::Next FreeFormatReader::nextToken(const Expected& what, std::string_view& token) {
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
        token = std::string_view(line_).substr(pos_, end - pos_);
        pos_ = end;
        separatorComma_ = false;
        // r*v: the value v (or a null value when v is empty) repeated r times.
        const std::size_t star = token.find('*');
        if (star != std::string_view::npos) {
            int repeat = 0;
            if (star == 0 || !parseInteger(token.substr(0, star), repeat) || repeat < 1 || token[0] == '+' ||
                token[0] == '-')
                fail(what, token);
            repeatToken_.assign(token.substr(star + 1));
            repeatNull_ = repeatToken_.empty();
            repeatLeft_ = repeat - 1;
            if (repeatNull_) return Next::Null;
            token = repeatToken_;
        }
        return Next::Value;
    }
}

void FreeFormatReader::read(int& value, std::string_view what) {
    const Expected expected{"an integer for ", what};
    std::string_view token;
    const Next next = nextToken(expected, token);
    if (next != Next::Value) return;
    int v = 0;
    if (!parseInteger(token, v)) fail(expected, token);
    value = v;
}

void FreeFormatReader::read(double& value, std::string_view what) {
    const Expected expected{"a number for ", what};
    std::string_view token;
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
    // Q with an optional sign, or a sign alone, followed by digits. The constant is rewritten for
    // strtod with the exponent letter e; the text is at most one character longer than the token.
    std::array<char, 64> shortText;
    std::string longText;
    char* normal = shortText.data();
    if (token.size() + 2 > shortText.size()) {
        longText.resize(token.size() + 2);
        normal = longText.data();
    }
    std::size_t n = 0;
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) normal[n++] = token[i++];
    std::size_t mantissaDigits = 0;
    while (i < token.size() && isDigit(token[i])) {
        normal[n++] = token[i++];
        ++mantissaDigits;
    }
    if (i < token.size() && token[i] == '.') {
        normal[n++] = token[i++];
        while (i < token.size() && isDigit(token[i])) {
            normal[n++] = token[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < token.size()) {
        const char c = token[i];
        const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
        if (!letter && c != '+' && c != '-') return false;
        normal[n++] = 'e';
        if (letter) ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) normal[n++] = token[i++];
        std::size_t exponentDigits = 0;
        while (i < token.size() && isDigit(token[i])) {
            normal[n++] = token[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0 || i != token.size()) return false;
    }
    normal[n] = '\0';
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(normal, &end);
    if (end != normal + n || (errno == ERANGE && (v > 1.0 || v < -1.0))) return false;
    value = v;
    return true;
}

void FreeFormatReader::fail(const Expected& what, std::string_view found) const {
    throw InputError(fileName_ + ", line " + std::to_string(lineNumber_) + " (" + record_ + "): expected " +
                     what.text() + ", found " + quoted(found));
}

void FreeFormatReader::failAtEnd(const Expected& what) const {
    throw InputError(fileName_ + ", line " + std::to_string(lineNumber_ + 1) + " (" + record_ +
                     "): the file ends where " + what.text() + " was expected");
}

}  // namespace vorta
