#include "report/fortran_format.h"

#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>

namespace vorta {
namespace {

// Every field is composed in one piece on the stack and appended once: `blanks` blanks (the nX
// before it), then the field of `width` columns.
constexpr std::size_t kComposedField = 128;

void appendStars(std::string& out, int width, std::size_t blanks = 0) {
    out.append(blanks, ' ');
    out.append(static_cast<std::size_t>(width), '*');
}

// A field body, with its sign when negative, right-justified in `width` columns; asterisks when
// it does not fit.
void appendField(std::string& out, bool negative, std::string_view body, int width, std::size_t blanks = 0) {
    const auto columns = static_cast<std::size_t>(width);
    const std::size_t length = body.size() + (negative ? 1 : 0);
    if (length > columns) {
        appendStars(out, width, blanks);
        return;
    }
    const std::size_t lead = blanks + columns - length;
    if (lead + length > kComposedField) {
        out.append(lead, ' ');
        if (negative) out.push_back('-');
        out.append(body);
        return;
    }
    char field[kComposedField];
    char* p = field;
    for (std::size_t i = 0; i < lead; ++i) *p++ = ' ';
    if (negative) *p++ = '-';
    for (const char c : body) *p++ = c;
    out.append(field, static_cast<std::size_t>(p - field));
}

// Infinity and NaN, as the Fortran runtime writes them.
void appendNonFinite(std::string& out, double value, int width, std::size_t blanks) {
    if (std::isnan(value)) {
        appendField(out, false, "NaN", width, blanks);
        return;
    }
    const bool negative = std::signbit(value);
    if (width >= 8 + (negative ? 1 : 0)) {
        appendField(out, negative, "Infinity", width, blanks);
    } else {
        appendField(out, negative, "Inf", width, blanks);
    }
}

// Exact powers of ten: every 10^k up to 10^22 is a double.
constexpr double kPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                     1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;

// The magnitude m times 10^scale, rounded to the nearest integer with ties to even, decided on the
// exact product of the binary value (|scale| <= 22, so that the power of ten is exact). The
// product is rounded once to y, and the exact product lies within half a unit in the last place
// of y. Below 2^52 the fraction of y is a whole number of those units, so a fraction above or
// below one half rounds the exact product the same way; only a fraction of exactly one half
// leaves the rounding open, and there the sign of the rounding error of y, taken exactly with a
// fused multiply-add (of the remainder m - y 10^-scale for a division), decides it. False when
// y is 2^52 or more: the caller then takes the general path.
bool roundScaledMagnitude(double m, int scale, std::uint64_t& rounded) {
    const double power = kPowersOfTen[scale >= 0 ? scale : -scale];
    const double y = scale >= 0 ? m * power : m / power;
    if (!(y < 0x1p52)) return false;
    std::uint64_t n = static_cast<std::uint64_t>(y);       // y >= 0: the whole part
    const double fraction = y - static_cast<double>(n);  // exact
    if (fraction > 0.5) {
        ++n;
    } else if (fraction == 0.5) {
        const double error = scale >= 0 ? std::fma(m, power, -y) : -std::fma(y, power, -m);
        if (error > 0.0 || (error == 0.0 && (n & 1U) != 0)) ++n;
    }
    rounded = n;
    return true;
}

// Decimal digits of n written backward from `end`; returns where they start.
char* writeDigitsBackward(std::uint64_t n, char* end) {
    do {
        *--end = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    return end;
}

// Ew.d significand of a positive magnitude as an integer of d digits (0.ddd times 10^exponent)
// and its exponent; false when the fast path cannot decide.
bool fastExponentSignificand(double magnitude, int digits, std::uint64_t& significand, int& exponent) {
    if (digits > 15) return false;  // the significand must stay below 2^52
    const auto biased = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52);
    if (biased == 0) return false;  // zero or subnormal
    // magnitude lies in [2^b, 2^(b+1)), so floor(log10(magnitude)) is floor(b log10 2) or one
    // more; the estimate below is within one of it, and the scaled magnitude says which decade
    // holds it: 10^(d-1) <= y < 10^d.
    const int b = biased - 1023;
    int decimalExponent = (b * 78913) >> 18;
    const double upper = kPowersOfTen[digits];
    const double lower = kPowersOfTen[digits - 1];
    for (int attempt = 0;; ++attempt) {
        const int scale = digits - 1 - decimalExponent;
        if (scale > kLargestExactPower || scale < -kLargestExactPower) return false;
        const double power = kPowersOfTen[scale >= 0 ? scale : -scale];
        const double y = scale >= 0 ? magnitude * power : magnitude / power;
        if (y >= lower && y < upper) break;
        if (attempt == 2) return false;
        decimalExponent += y >= upper ? 1 : -1;
    }
    std::uint64_t n = 0;
    if (!roundScaledMagnitude(magnitude, digits - 1 - decimalExponent, n)) return false;
    exponent = decimalExponent + 1;
    if (n >= static_cast<std::uint64_t>(upper)) {  // 0.99996 rounding up to 1.0000: one more decade
        n /= 10;
        ++exponent;
    }
    significand = n;
    return true;
}

// A field of the fast path with the blanks before it, composed on the stack backward from its
// last column and appended in one piece; asterisks when its text does not fit.
class ComposedField {
public:
    static bool fits(std::size_t blanks, int width) { return blanks + static_cast<std::size_t>(width) <= kComposedField; }

    ComposedField(std::size_t blanks, int width) : blanks_(blanks), width_(width) {
        std::memset(text_, ' ', sizeof text_);
        end_ = text_ + kSlack + blanks + static_cast<std::size_t>(width);
        cursor_ = end_;
    }

    void put(char c) { *--cursor_ = c; }
    // Exactly `count` digits of n (leading zeros kept); returns what is left of n.
    std::uint64_t putDigits(std::uint64_t n, int count) {
        for (int i = 0; i < count; ++i) {
            put(static_cast<char>('0' + n % 10));
            n /= 10;
        }
        return n;
    }
    void putNumber(std::uint64_t n) { cursor_ = writeDigitsBackward(n, cursor_); }
    int used() const { return static_cast<int>(end_ - cursor_); }

    void appendTo(std::string& out) {
        char* const field = end_ - width_;
        if (used() > width_) {
            std::memset(text_ + kSlack, ' ', blanks_);
            std::memset(field, '*', static_cast<std::size_t>(width_));
        }
        out.append(text_ + kSlack, blanks_ + static_cast<std::size_t>(width_));
    }

private:
    static constexpr std::size_t kSlack = 40;  // room for a text longer than its field
    char text_[kSlack + kComposedField];
    std::size_t blanks_;
    int width_;
    char* end_;
    char* cursor_;
};

// Fw.d by the fast path: the magnitude times 10^d rounded exactly, its last d digits after the
// point; false (nothing written) when the fast path cannot decide.
bool appendFixedFast(std::string& out, double value, int width, int decimals, std::size_t blanks) {
    if (decimals > kLargestExactPower || !ComposedField::fits(blanks, width) || !std::isfinite(value)) return false;
    const bool negative = std::signbit(value);
    std::uint64_t n = 0;
    if (!roundScaledMagnitude(std::fabs(value), decimals, n)) return false;
    ComposedField field(blanks, width);
    n = field.putDigits(n, decimals);
    field.put('.');
    if (n != 0) {
        field.putNumber(n);
    } else if (decimals + 2 + (negative ? 1 : 0) <= width) {
        field.put('0');  // the optional zero, where there is room for it
    }
    if (negative) field.put('-');
    field.appendTo(out);
    return true;
}

// Ew.d and Ew.dEe by the fast path; false (nothing written) when it cannot decide.
bool appendExponentFast(std::string& out, double value, int width, int digits, int exponentDigits,
                        std::size_t blanks) {
    if (digits < 1 || !ComposedField::fits(blanks, width) || !std::isfinite(value)) return false;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    std::uint64_t significand = 0;
    int exponent = 0;
    if (magnitude != 0.0 && !fastExponentSignificand(magnitude, digits, significand, exponent)) return false;
    if (magnitude == 0.0 && digits > 15) return false;
    const int absExponent = exponent < 0 ? -exponent : exponent;
    ComposedField field(blanks, width);
    if (exponentDigits > 0) {
        if (exponentDigits > 8 || absExponent >= static_cast<int>(kPowersOfTen[exponentDigits])) return false;
        field.putDigits(static_cast<std::uint64_t>(absExponent), exponentDigits);
        field.put(exponent < 0 ? '-' : '+');
        field.put('E');
    } else if (absExponent <= 99) {
        field.putDigits(static_cast<std::uint64_t>(absExponent), 2);
        field.put(exponent < 0 ? '-' : '+');
        field.put('E');
    } else if (absExponent <= 999) {
        field.putDigits(static_cast<std::uint64_t>(absExponent), 3);  // three digits replace the letter
        field.put(exponent < 0 ? '-' : '+');
    } else {
        return false;
    }
    field.putDigits(significand, digits);
    field.put('.');
    if (field.used() + 1 + (negative ? 1 : 0) <= width) field.put('0');  // the optional zero
    if (negative) field.put('-');
    field.appendTo(out);
    return true;
}

// Which conversion produces the digits: the exact fast path where it decides (the general path
// where it does not), or the general path alone (tests hold the two against each other).
enum class DigitPath : std::uint8_t { Fast, General };

void appendFixed(std::string& out, double value, int width, int decimals, std::size_t blanks = 0,
                 DigitPath path = DigitPath::Fast) {
    if (path == DigitPath::Fast && appendFixedFast(out, value, width, decimals, blanks)) return;
    if (!std::isfinite(value)) {
        appendNonFinite(out, value, width, blanks);
        return;
    }
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    // A value with more integer digits than the field can hold overflows whatever the rounding.
    if (magnitude >= 1.0e20 && magnitude >= std::pow(10.0, width)) {
        appendStars(out, width, blanks);
        return;
    }
    char buffer[400];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) {
        appendStars(out, width, blanks);
        return;
    }
    char* end = r.ptr;
    if (decimals == 0) *end++ = '.';
    std::string_view digits(buffer, static_cast<std::size_t>(end - buffer));
    // The optional zero before the point goes only when there is no room for it.
    if (digits.size() + (negative ? 1 : 0) > static_cast<std::size_t>(width) && digits.size() > 1 &&
        digits[0] == '0' && digits[1] == '.')
        digits.remove_prefix(1);
    appendField(out, negative, digits, width, blanks);
}

void appendExponent(std::string& out, double value, int width, int digits, int exponentDigits,
                    std::size_t blanks = 0, DigitPath path = DigitPath::Fast) {
    if (path == DigitPath::Fast && appendExponentFast(out, value, width, digits, exponentDigits, blanks)) return;
    if (!std::isfinite(value)) {
        appendNonFinite(out, value, width, blanks);
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
        appendStars(out, width, blanks);
        return;
    }
    if (magnitude == 0.0) {
        for (int i = 0; i < digits; ++i) body[n++] = '0';
    } else {
        char buffer[80];
        const std::to_chars_result r =
            std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, digits - 1);
        if (r.ec != std::errc()) {
            appendStars(out, width, blanks);
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
            appendStars(out, width, blanks);
            return;
        }
        exponentWidth = static_cast<std::size_t>(exponentDigits);
        body[n++] = 'E';
    } else if (absExponent <= 99) {
        body[n++] = 'E';
    } else if (absExponent <= 999) {
        exponentWidth = 3;  // three digits replace the letter
    } else {
        appendStars(out, width, blanks);
        return;
    }
    body[n++] = sign;
    for (std::size_t i = eLength; i < exponentWidth; ++i) body[n++] = '0';
    for (std::size_t i = 0; i < eLength; ++i) body[n++] = e[i];
    std::string_view text(body, n);
    if (text.size() + (negative ? 1 : 0) > static_cast<std::size_t>(width)) text.remove_prefix(1);
    appendField(out, negative, text, width, blanks);
}

void appendInteger(std::string& out, long long value, int width, int minDigits, std::size_t blanks = 0) {
    const bool negative = value < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    char buffer[48];
    char* begin = buffer + 24;
    char* end = std::to_chars(begin, buffer + sizeof buffer, magnitude).ptr;
    if (minDigits == 0 && magnitude == 0) end = begin;
    while (minDigits > 0 && end - begin < minDigits && begin > buffer) *--begin = '0';
    appendField(out, negative, std::string_view(begin, static_cast<std::size_t>(end - begin)), width, blanks);
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

namespace {

// The lines of a format for the given values appended to `out`, separated by '\n', without a
// final newline. Each line is written in place at the end of `out`.
void appendRecords(std::string& out, const FortranFormat& fmt, std::span<const FormatArg> values) {
    std::size_t pendingBlanks = 0;
    std::size_t next = 0;  // next value
    auto endLine = [&] {
        out += '\n';
        pendingBlanks = 0;
    };
    auto startField = [&] {
        if (pendingBlanks > 0) out.append(pendingBlanks, ' ');
        pendingBlanks = 0;
    };

    struct Frame {
        std::size_t begin;
        int remaining;
    };
    std::array<Frame, 16> stack;  // written before it is read
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
                out.append(fmt.text(it));
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
                    if (next >= values.size()) return;
                    const FormatArg& v = values[next++];
                    consumedSinceReversion = true;
                    // The blanks of nX before a number go into its field, composed in one piece.
                    const std::size_t blanks = pendingBlanks;
                    pendingBlanks = 0;
                    switch (it.kind) {
                        case FormatItem::Kind::Text:
                            assert(v.kind() == FormatArg::Kind::Text && "A edit descriptor needs a text value");
                            out.append(blanks, ' ');
                            appendText(out, v.text(), it.width);
                            break;
                        case FormatItem::Kind::Fixed:
                            assert(v.kind() != FormatArg::Kind::Text && "F edit descriptor needs a number");
                            appendFixed(out, v.real(), it.width, it.digits, blanks);
                            break;
                        case FormatItem::Kind::Exponent:
                            assert(v.kind() != FormatArg::Kind::Text && "E edit descriptor needs a number");
                            appendExponent(out, v.real(), it.width, it.digits, it.exponent, blanks);
                            break;
                        default:
                            assert(v.kind() == FormatArg::Kind::Integer && "I edit descriptor needs an integer");
                            appendInteger(out,
                                          v.kind() == FormatArg::Kind::Integer ? v.integer()
                                                                               : static_cast<long long>(v.real()),
                                          it.width, it.digits, blanks);
                            break;
                    }
                }
                ++i;
                break;
        }
    }
}

}  // namespace

std::string formatRecords(const FortranFormat& fmt, std::span<const FormatArg> values) {
    std::string out;
    appendRecords(out, fmt, values);
    return out;
}

namespace detail {

std::string formatFixedGeneral(double value, int width, int decimals) {
    std::string out;
    appendFixed(out, value, width, decimals, 0, DigitPath::General);
    return out;
}

std::string formatExponentGeneral(double value, int width, int digits, int exponentDigits) {
    std::string out;
    appendExponent(out, value, width, digits, exponentDigits, 0, DigitPath::General);
    return out;
}

}  // namespace detail

void RecordWriter::put(std::string_view text) {
    if (out_ != nullptr) out_->write(text.data(), static_cast<std::streamsize>(text.size()));
    if (capture_ != nullptr) capture_->append(text);
}

// Every record is built in the writer's own buffer, which keeps its storage from one record to the
// next.
void RecordWriter::writeRecords(const FortranFormat& fmt, std::span<const FormatArg> values) {
    if (out_ == nullptr && capture_ == nullptr) return;
    buffer_.clear();
    appendRecords(buffer_, fmt, values);
    buffer_ += '\n';
    put(buffer_);
}

void RecordWriter::writeFree(std::initializer_list<long long> values) {
    if (out_ == nullptr && capture_ == nullptr) return;
    buffer_.clear();
    for (long long v : values) appendInteger(buffer_, v, 12, -1);
    buffer_ += '\n';
    put(buffer_);
}

void RecordWriter::writeLine(std::string_view line) {
    if (out_ == nullptr && capture_ == nullptr) return;
    put(line);
    put("\n");
}

}  // namespace vorta
