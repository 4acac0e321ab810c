#include "report/fortran_format.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ostream>

namespace vorta {
namespace {

void appendStars(std::string& out, int width) { out.append(static_cast<std::size_t>(width), '*'); }

// A field body, with its sign when negative, right-justified in `width` columns; asterisks when
// it does not fit.
void appendField(std::string& out, bool negative, std::string_view body, int width) {
    const std::size_t length = body.size() + (negative ? 1 : 0);
    if (length > static_cast<std::size_t>(width)) {
        appendStars(out, width);
        return;
    }
    out.append(static_cast<std::size_t>(width) - length, ' ');
    if (negative) out.push_back('-');
    out.append(body);
}

// Infinity and NaN, as the Fortran runtime writes them.
void appendNonFinite(std::string& out, double value, int width) {
    if (std::isnan(value)) {
        appendField(out, false, "NaN", width);
        return;
    }
    const bool negative = std::signbit(value);
    if (width >= 8 + (negative ? 1 : 0)) {
        appendField(out, negative, "Infinity", width);
    } else {
        appendField(out, negative, "Inf", width);
    }
}

void appendFixed(std::string& out, double value, int width, int decimals) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, value, width);
        return;
    }
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    // A value with more integer digits than the field can hold overflows whatever the rounding.
    if (magnitude >= 1.0e20 && magnitude >= std::pow(10.0, width)) {
        appendStars(out, width);
        return;
    }
    char buffer[400];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) {
        appendStars(out, width);
        return;
    }
    char* end = r.ptr;
    if (decimals == 0) *end++ = '.';
    std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
    // The optional zero before the point goes only when there is no room for it.
    if (digits.size() + (negative ? 1 : 0) > static_cast<std::size_t>(width) && digits.size() > 1 &&
        digits[0] == '0' && digits[1] == '.')
        digits.remove_prefix(1);
    appendField(out, negative, digits, width);
}

void appendExponent(std::string& out, double value, int width, int digits, int exponentDigits) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, value, width);
        return;
    }
    assert(digits >= 1);
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    // The body 0.ddd followed by the exponent, built in place.
    char body[96];
    std::size_t n = 0;
    body[n++] = '0';
    body[n++] = '.';
    int exponent = 0;
    if (digits > 60) {  // more digits than a double holds; no format of the engine asks for them
        appendStars(out, width);
        return;
    }
    if (magnitude == 0.0) {
        for (int i = 0; i < digits; ++i) body[n++] = '0';
    } else {
        char buffer[80];
        const std::to_chars_result r =
            std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, digits - 1);
        if (r.ec != std::errc()) {
            appendStars(out, width);
            return;
        }
        // buffer holds d.ddde+xx: the digits without the point, then the exponent.
        const char* p = buffer;
        for (; p < r.ptr && *p != 'e'; ++p) {
            if (*p != '.') body[n++] = *p;
        }
        int decimalExponent = 0;
        std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), r.ptr, decimalExponent);
        exponent = decimalExponent + 1;  // 0.ddd form
    }
    const int absExponent = exponent < 0 ? -exponent : exponent;
    const char sign = exponent < 0 ? '-' : '+';
    char e[16];
    const std::to_chars_result er = std::to_chars(e, e + sizeof e, absExponent);
    const std::size_t eLength = static_cast<std::size_t>(er.ptr - e);
    std::size_t exponentWidth = 2;
    if (exponentDigits > 0) {
        if (static_cast<int>(eLength) > exponentDigits) {
            appendStars(out, width);
            return;
        }
        exponentWidth = static_cast<std::size_t>(exponentDigits);
        body[n++] = 'E';
    } else if (absExponent <= 99) {
        body[n++] = 'E';
    } else if (absExponent <= 999) {
        exponentWidth = 3;  // three digits replace the letter
    } else {
        appendStars(out, width);
        return;
    }
    body[n++] = sign;
    for (std::size_t i = eLength; i < exponentWidth; ++i) body[n++] = '0';
    for (std::size_t i = 0; i < eLength; ++i) body[n++] = e[i];
    std::string_view text(body, n);
    if (text.size() + (negative ? 1 : 0) > static_cast<std::size_t>(width)) text.remove_prefix(1);
    appendField(out, negative, text, width);
}

void appendInteger(std::string& out, long long value, int width, int minDigits) {
    const bool negative = value < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    char buffer[48];
    char* begin = buffer + 24;
    char* end = std::to_chars(begin, buffer + sizeof buffer, magnitude).ptr;
    if (minDigits == 0 && magnitude == 0) end = begin;
    while (minDigits > 0 && end - begin < minDigits && begin > buffer) *--begin = '0';
    appendField(out, negative, std::string_view(begin, static_cast<std::size_t>(end - begin)), width);
}

void appendText(std::string& out, std::string_view text, int width) {
    if (width <= 0) {
        out.append(text);
    } else if (static_cast<int>(text.size()) >= width) {
        out.append(text.substr(0, static_cast<std::size_t>(width)));
    } else {
        out.append(static_cast<std::size_t>(width) - text.size(), ' ');
        out.append(text);
    }
}

}  // namespace

std::string formatFixed(double value, int width, int decimals) {
    std::string out;
    appendFixed(out, value, width, decimals);
    return out;
}

std::string formatExponent(double value, int width, int digits, int exponentDigits) {
    std::string out;
    appendExponent(out, value, width, digits, exponentDigits);
    return out;
}

std::string formatInteger(long long value, int width, int minDigits) {
    std::string out;
    appendInteger(out, value, width, minDigits);
    return out;
}

std::string formatText(std::string_view text, int width) {
    std::string out;
    appendText(out, text, width);
    return out;
}

std::string formatFreeIntegers(std::span<const long long> values) {
    std::string line;
    for (long long v : values) appendInteger(line, v, 12, -1);
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
    line.reserve(160);
    auto startField = [&] {
        line.append(pendingBlanks, ' ');
        pendingBlanks = 0;
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
                startField();
                line.append(fmt.text(it));
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
                    startField();
                    switch (it.kind) {
                        case FormatItem::Kind::Text:
                            assert(v.kind() == FormatArg::Kind::Text && "A edit descriptor needs a text value");
                            appendText(line, v.text(), it.width);
                            break;
                        case FormatItem::Kind::Fixed:
                            assert(v.kind() != FormatArg::Kind::Text && "F edit descriptor needs a number");
                            appendFixed(line, v.real(), it.width, it.digits);
                            break;
                        case FormatItem::Kind::Exponent:
                            assert(v.kind() != FormatArg::Kind::Text && "E edit descriptor needs a number");
                            appendExponent(line, v.real(), it.width, it.digits, it.exponent);
                            break;
                        default:
                            assert(v.kind() == FormatArg::Kind::Integer && "I edit descriptor needs an integer");
                            appendInteger(line,
                                          v.kind() == FormatArg::Kind::Integer ? v.integer()
                                                                               : static_cast<long long>(v.real()),
                                          it.width, it.digits);
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

void RecordWriter::put(std::string_view text) {
    if (out_ != nullptr) out_->write(text.data(), static_cast<std::streamsize>(text.size()));
    if (capture_ != nullptr) capture_->append(text);
}

void RecordWriter::writeRecords(const FortranFormat& fmt, std::span<const FormatArg> values) {
    if (out_ == nullptr && capture_ == nullptr) return;
    std::string text = formatRecords(fmt, values);
    text += '\n';
    put(text);
}

void RecordWriter::writeFree(std::initializer_list<long long> values) {
    if (out_ == nullptr && capture_ == nullptr) return;
    std::string text = formatFreeIntegers(std::span<const long long>(values.begin(), values.size()));
    text += '\n';
    put(text);
}

void RecordWriter::writeLine(std::string_view line) {
    if (out_ == nullptr && capture_ == nullptr) return;
    put(line);
    put("\n");
}

}  // namespace vorta
