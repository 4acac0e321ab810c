#include "text_input.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace vorta::datain {

std::vector<TextLine> splitLines(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<TextLine> lines;
    std::size_t start = 0;
    int number = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back({number++, text.substr(start, i - start)});
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back({number, text.substr(start)});
    return lines;
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string upperCase(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

std::string lowerCase(std::string_view s) {
    std::string l(s);
    for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return l;
}

std::optional<double> parseNumber(std::string_view text, bool decimalComma) {
    text = trimmed(text);
    std::string number(text);
    if (decimalComma) {
        const std::size_t comma = number.find(',');
        if (comma != std::string::npos) {
            if (number.find(',', comma + 1) != std::string::npos || number.find('.') != std::string::npos) return std::nullopt;
            number[comma] = '.';
        }
    }
    // Sign, digits with at most one point (at least one digit), an optional exponent.
    std::size_t i = 0;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    const std::size_t mantissa = i;
    int digits = 0;
    bool point = false;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (std::isdigit(static_cast<unsigned char>(c))) ++digits;
        else if (c == '.' && !point) point = true;
        else break;
    }
    if (digits == 0) return std::nullopt;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
        const std::size_t exponent = i;
        while (i < number.size() && std::isdigit(static_cast<unsigned char>(number[i]))) ++i;
        if (i == exponent) return std::nullopt;
    }
    if (i != number.size()) return std::nullopt;
    double value = 0.0;
    const char* first = number.data() + mantissa;
    const auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) return std::nullopt;
    return number[0] == '-' ? -value : value;
}

std::string quotedText(std::string_view text) {
    constexpr std::size_t kLongest = 40;
    std::string q = "'";
    for (char c : text.substr(0, kLongest)) q += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    if (text.size() > kLongest) q += "...";
    return q + "'";
}

std::optional<std::vector<std::string>> splitFields(std::string_view line, char separator, std::string& problem) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    const auto blank = [](char c) { return c == ' ' || (c == '\t'); };
    while (true) {
        while (i < line.size() && line[i] != separator && blank(line[i])) ++i;
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (!closed) {
                problem = "a field's opening quote (\") is not closed on its line";
                return std::nullopt;
            }
            while (i < line.size() && line[i] != separator && blank(line[i])) ++i;
            if (i < line.size() && line[i] != separator) {
                problem = "text follows the closing quote of field " + std::to_string(fields.size() + 1);
                return std::nullopt;
            }
        } else {
            const std::size_t start = i;
            while (i < line.size() && line[i] != separator) ++i;
            field = std::string(trimmed(line.substr(start, i - start)));
        }
        fields.push_back(std::move(field));
        if (i >= line.size()) break;
        ++i;  // the separator
    }
    return fields;
}

std::vector<std::string> splitBlanks(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) fields.emplace_back(line.substr(start, i - start));
    }
    return fields;
}

std::string at(const std::string& fileName, int line, std::string_view part) {
    std::string text = fileName + ", line " + std::to_string(line);
    if (!part.empty()) text += " (" + std::string(part) + ")";
    return text + ": ";
}

}  // namespace vorta::datain
