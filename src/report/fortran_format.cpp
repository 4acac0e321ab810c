#include "report/fortran_format.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace vorta {
namespace {

std::string stars(int width) { return std::string(static_cast<std::size_t>(width), '*'); }

std::string rightJustify(const std::string& body, int width) {
    if (static_cast<int>(body.size()) > width) return stars(width);
    return std::string(static_cast<std::size_t>(width) - body.size(), ' ') + body;
}

// Infinity and NaN, as the Fortran runtime writes them.
std::string nonFinite(double value, int width) {
    if (std::isnan(value)) return width >= 3 ? rightJustify("NaN", width) : stars(width);
    const bool negative = std::signbit(value);
    if (width >= 8 + (negative ? 1 : 0)) return rightJustify(negative ? "-Infinity" : "Infinity", width);
    if (width >= 3 + (negative ? 1 : 0)) return rightJustify(negative ? "-Inf" : "Inf", width);
    return stars(width);
}

}  // namespace

std::string formatFixed(double value, int width, int decimals) {
    if (!std::isfinite(value)) return nonFinite(value, width);
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    // A value with more integer digits than the field can hold overflows whatever the rounding.
    if (magnitude >= 1.0e20 && magnitude >= std::pow(10.0, width)) return stars(width);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, magnitude);
    std::string digits(buffer);
    if (decimals == 0) digits += '.';
    const bool needSign = negative;
    std::size_t length = digits.size() + (needSign ? 1 : 0);
    if (length > static_cast<std::size_t>(width) && digits.size() > 1 && digits[0] == '0' && digits[1] == '.') {
        digits.erase(0, 1);  // the optional leading zero goes only when there is no room for it
        length = digits.size() + (needSign ? 1 : 0);
    }
    if (length > static_cast<std::size_t>(width)) return stars(width);
    return rightJustify((needSign ? "-" : "") + digits, width);
}

std::string formatExponent(double value, int width, int digits, int exponentDigits) {
    if (!std::isfinite(value)) return nonFinite(value, width);
    assert(digits >= 1);
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    std::string mantissa;
    int exponent = 0;
    if (magnitude == 0.0) {
        mantissa.assign(static_cast<std::size_t>(digits), '0');
    } else {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, magnitude);
        // buffer holds d.ddde+xx: the digits without the point, then the exponent.
        const char* e = buffer;
        while (*e != 'e') {
            if (*e != '.') mantissa.push_back(*e);
            ++e;
        }
        exponent = std::atoi(e + 1) + 1;  // 0.ddd form
    }
    std::string exponentText;
    const int absExponent = std::abs(exponent);
    const char sign = exponent < 0 ? '-' : '+';
    if (exponentDigits > 0) {
        std::string e = std::to_string(absExponent);
        if (static_cast<int>(e.size()) > exponentDigits) return stars(width);
        exponentText = std::string("E") + sign + std::string(static_cast<std::size_t>(exponentDigits) - e.size(), '0') + e;
    } else if (absExponent <= 99) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "E%c%02d", sign, absExponent);
        exponentText = buffer;
    } else if (absExponent <= 999) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%c%03d", sign, absExponent);
        exponentText = buffer;
    } else {
        return stars(width);
    }
    std::string body = "0." + mantissa + exponentText;
    if (static_cast<int>(body.size()) + (negative ? 1 : 0) > width) body.erase(0, 1);
    return rightJustify((negative ? "-" : "") + body, width);
}

std::string formatInteger(long long value, int width, int minDigits) {
    const bool negative = value < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::string digits = std::to_string(magnitude);
    if (minDigits == 0 && magnitude == 0) digits.clear();
    if (minDigits > 0 && static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    return rightJustify((negative ? "-" : "") + digits, width);
}

std::string formatText(std::string_view text, int width) {
    if (width <= 0) return std::string(text);
    if (static_cast<int>(text.size()) >= width) return std::string(text.substr(0, static_cast<std::size_t>(width)));
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + std::string(text);
}

std::string formatFreeIntegers(std::span<const long long> values) {
    std::string line;
    for (long long v : values) line += formatInteger(v, 12);
    return line;
}

std::string formatRecords(const FortranFormat& fmt, std::span<const FormatArg> values) {
    std::string out;
    std::string line;
    std::size_t pendingBlanks = 0;
    std::size_t next = 0;  // next value
    auto endLine = [&] {
        out += line;
        out += '\n';
        line.clear();
        pendingBlanks = 0;
    };
    auto put = [&](const std::string& field) {
        line.append(pendingBlanks, ' ');
        pendingBlanks = 0;
        line += field;
    };

    struct Frame {
        std::size_t begin;
        int remaining;
    };
    std::array<Frame, 16> stack{};
    std::size_t depth = 0;
    std::size_t i = 0;
    bool consumedSinceReversion = false;
    while (true) {
        if (i == fmt.size()) {
            if (next >= values.size()) break;
            if (!consumedSinceReversion) break;  // a format without data descriptors cannot take values
            endLine();
            consumedSinceReversion = false;
            depth = 0;
            i = fmt.reversionIndex();
            continue;
        }
        const FormatItem& it = fmt.item(i);
        switch (it.kind) {
            case FormatItem::Kind::Literal:
                put(std::string(fmt.text(it)));
                ++i;
                break;
            case FormatItem::Kind::Blanks:
                pendingBlanks += static_cast<std::size_t>(it.width);
                ++i;
                break;
            case FormatItem::Kind::Slash:
                for (int r = 0; r < it.repeat; ++r) endLine();
                ++i;
                break;
            case FormatItem::Kind::GroupBegin:
                stack[depth++] = Frame{i, it.repeat};
                ++i;
                break;
            case FormatItem::Kind::GroupEnd: {
                Frame& top = stack[depth - 1];
                if (--top.remaining > 0) {
                    i = top.begin + 1;
                } else {
                    --depth;
                    ++i;
                }
                break;
            }
            case FormatItem::Kind::Text:
            case FormatItem::Kind::Fixed:
            case FormatItem::Kind::Exponent:
            case FormatItem::Kind::Integer:
                for (int r = 0; r < it.repeat; ++r) {
                    if (next >= values.size()) {
                        out += line;
                        return out;
                    }
                    const FormatArg& v = values[next++];
                    consumedSinceReversion = true;
                    switch (it.kind) {
                        case FormatItem::Kind::Text:
                            assert(v.kind() == FormatArg::Kind::Text && "A edit descriptor needs a text value");
                            put(formatText(v.text(), it.width));
                            break;
                        case FormatItem::Kind::Fixed:
                            assert(v.kind() != FormatArg::Kind::Text && "F edit descriptor needs a number");
                            put(formatFixed(v.real(), it.width, it.digits));
                            break;
                        case FormatItem::Kind::Exponent:
                            assert(v.kind() != FormatArg::Kind::Text && "E edit descriptor needs a number");
                            put(formatExponent(v.real(), it.width, it.digits, it.exponent));
                            break;
                        default:
                            assert(v.kind() == FormatArg::Kind::Integer && "I edit descriptor needs an integer");
                            put(formatInteger(v.kind() == FormatArg::Kind::Integer ? v.integer()
                                                                                   : static_cast<long long>(v.real()),
                                              it.width, it.digits));
                            break;
                    }
                }
                ++i;
                break;
        }
    }
    out += line;
    return out;
}

void RecordWriter::writeRecords(const FortranFormat& fmt, std::span<const FormatArg> values) {
    if (out_ == nullptr) return;
    std::string text = formatRecords(fmt, values);
    text += '\n';
    out_->write(text.data(), static_cast<std::streamsize>(text.size()));
}

void RecordWriter::writeFree(std::initializer_list<long long> values) {
    if (out_ == nullptr) return;
    std::string text = formatFreeIntegers(std::span<const long long>(values.begin(), values.size()));
    text += '\n';
    out_->write(text.data(), static_cast<std::streamsize>(text.size()));
}

void RecordWriter::writeLine(std::string_view line) {
    if (out_ == nullptr) return;
    out_->write(line.data(), static_cast<std::streamsize>(line.size()));
    out_->put('\n');
}

}  // namespace vorta
