#include "report/fortran_format.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <ostream>

namespace vorta {
namespace {

// The general path: fields built from the standard library's exact conversions and appended to a
// string piece by piece. It writes every field; the fast path below writes the fields it can
// decide and leaves the others to it.

void appendStars(std::string& out, int width, std::size_t blanks = 0) {
    out.append(blanks, ' ');
    out.append(static_cast<std::size_t>(width), '*');
}

// A field body, with its sign when negative, right-justified in `width` columns; asterisks when
// it does not fit.
void appendField(std::string& out, bool negative, std::string_view body, int width, std::size_t blanks = 0) {
    const std::size_t length = body.size() + (negative ? 1 : 0);
    if (length > static_cast<std::size_t>(width)) {
        appendStars(out, width, blanks);
        return;
    }
    out.append(blanks + static_cast<std::size_t>(width) - length, ' ');
    if (negative) out.push_back('-');
    out.append(body);
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
inline bool roundScaledMagnitude(double m, int scale, std::uint64_t& rounded) {
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

void appendFixed(std::string& out, double value, int width, int decimals, std::size_t blanks) {
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
                    std::size_t blanks) {
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

void appendInteger(std::string& out, long long value, int width, int minDigits, std::size_t blanks) {
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

// The exact fast path.

// Powers of ten in 64 bits.
constexpr std::uint64_t kIntegerPowersOfTen[20] = {1ULL,
                                                   10ULL,
                                                   100ULL,
                                                   1000ULL,
                                                   10000ULL,
                                                   100000ULL,
                                                   1000000ULL,
                                                   10000000ULL,
                                                   100000000ULL,
                                                   1000000000ULL,
                                                   10000000000ULL,
                                                   100000000000ULL,
                                                   1000000000000ULL,
                                                   10000000000000ULL,
                                                   100000000000000ULL,
                                                   1000000000000000ULL,
                                                   10000000000000000ULL,
                                                   100000000000000000ULL,
                                                   1000000000000000000ULL,
                                                   10000000000000000000ULL};

// Number of decimal digits of n (1 for 0).
int decimalDigitCount(std::uint64_t n) {
    int count = 1;
    while (count < 20 && n >= kIntegerPowersOfTen[count]) ++count;
    return count;
}

// The decimal digits 00 to 99 in pairs.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The last `count` digits of n written backward from `end` (leading zeros kept), two at a time;
// n keeps what is left of it. Returns where the digits start.
char* writeDigitsBackward(std::uint64_t& n, int count, char* end) {
    for (; count >= 2; count -= 2) {
        const std::uint64_t pair = n % 100;
        n /= 100;
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * pair, 2);
    }
    if (count == 1) {
        *--end = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    return end;
}

// Where gathered text goes: a string, or a record writer's stream.
struct TextSink {
    void* target;
    void (*append)(void* target, std::string_view text);
};

// The text of records, gathered in a buffer that holds blanks wherever nothing was written and
// handed on in large pieces: a field takes its columns (and the blanks of nX before it) and writes
// only its characters. The buffer is the text's own, on the stack, handed on when the text goes;
// or a writer's gathering buffer, handed on when it fills and otherwise left to the writer. A full
// buffer hands on the records before the one being written, which moves to its front: a record
// that a writer's guard refuses (a number that is not finite) can then be taken back whole.
class RecordText {
public:
    explicit RecordText(TextSink sink) : sink_(sink), buffer_(local_), capacity_(sizeof local_), used_(&localUsed_) {
        std::memset(local_, ' ', sizeof local_);
    }
    explicit RecordText(std::string& out)
        : RecordText(TextSink{&out, [](void* target, std::string_view text) {
              static_cast<std::string*>(target)->append(text);
          }}) {}
    RecordText(TextSink sink, char* buffer, std::size_t capacity, std::size_t& used)
        : sink_(sink), buffer_(buffer), capacity_(capacity), used_(&used), start_(used) {}
    RecordText(const RecordText&) = delete;
    RecordText& operator=(const RecordText&) = delete;
    ~RecordText() {
        if (buffer_ == local_) flush();
    }

    // A field that is not a finite number was written ("NaN", "Infinity"); the general path of
    // the formatter marks it (the fast path takes only finite numbers).
    void markNonFinite() { nonFinite_ = true; }
    bool nonFinite() const { return nonFinite_; }

    // Takes back the text of this record: a record that a writer's guard refuses.
    void discard() {
        std::memset(buffer_ + start_, ' ', *used_ - start_);
        *used_ = start_;
    }

    // The next n columns, blank; nullptr when they do not fit in the buffer at all.
    char* take(std::size_t n) {
        if (*used_ + n > capacity_) {
            makeRoom(n);
            if (n > capacity_) return nullptr;
        }
        char* const columns = buffer_ + *used_;
        *used_ += n;
        return columns;
    }

    void put(std::string_view text) {
        char* const columns = take(text.size());
        if (columns == nullptr) {
            sink_.append(sink_.target, text);
        } else {
            std::memcpy(columns, text.data(), text.size());
        }
    }

    void flush() {
        if (*used_ == 0) return;
        sink_.append(sink_.target, std::string_view(buffer_, *used_));
        std::memset(buffer_, ' ', *used_);
        *used_ = 0;
        start_ = 0;
    }

private:
    // A full buffer: what it held before this text began is handed on and the text so far moves
    // to the front; when the text alone leaves no room for n more columns, all of it is handed on.
    // Out of line: the fields' calls of take stay short.
    [[gnu::noinline]] void makeRoom(std::size_t n) {
        if (start_ > 0) {
            sink_.append(sink_.target, std::string_view(buffer_, start_));
            const std::size_t own = *used_ - start_;
            std::memmove(buffer_, buffer_ + start_, own);
            std::memset(buffer_ + own, ' ', *used_ - own);
            *used_ = own;
            start_ = 0;
        }
        if (*used_ + n > capacity_) flush();
    }

    TextSink sink_;
    char* buffer_;
    std::size_t capacity_;
    std::size_t* used_;
    std::size_t start_ = 0;  // where this text began in the buffer
    bool nonFinite_ = false;
    std::size_t localUsed_ = 0;
    char local_[256];
};

// Fw.d by the fast path: the magnitude times 10^d rounded exactly, its last d digits after the
// point. False, with nothing written, when the fast path cannot decide the field.
bool writeFixedFast(RecordText& text, std::size_t blanks, double value, int width, int decimals) {
    if (decimals > 19 || !std::isfinite(value)) return false;  // 10^19 is the last power in 64 bits
    std::uint64_t n = 0;
    if (!roundScaledMagnitude(std::fabs(value), decimals, n)) return false;
    const bool negative = std::signbit(value);
    const int sign = negative ? 1 : 0;
    // "I.DDD" with at least one integer digit; the zero before the point goes only when there
    // is no room for it.
    const bool zeroBefore = n < kIntegerPowersOfTen[decimals];
    bool fits = false;
    bool dropZero = false;
    if (zeroBefore) {
        fits = decimals + 1 + sign <= width;
        dropZero = decimals + 2 + sign > width;
    } else {
        const int room = width - 1 - sign;  // columns for the digits: n must have at most that many
        fits = room >= 20 || (room >= 1 && n < kIntegerPowersOfTen[room]);
    }
    char* const columns = text.take(blanks + static_cast<std::size_t>(width));
    if (columns == nullptr) return false;
    char* p = columns + blanks + width;
    if (!fits) {
        std::memset(p - width, '*', static_cast<std::size_t>(width));
        return true;
    }
    p = writeDigitsBackward(n, decimals, p);
    *--p = '.';
    if (!zeroBefore) {
        while (n >= 100) p = writeDigitsBackward(n, 2, p);
        p = writeDigitsBackward(n, n >= 10 ? 2 : 1, p);
    } else if (!dropZero) {
        *--p = '0';
    }
    if (negative) *--p = '-';
    return true;
}

// Ew.d and Ew.dEe by the fast path. False, with nothing written, when it cannot decide the field.
bool writeExponentFast(RecordText& text, std::size_t blanks, double value, int width, int digits,
                       int exponentDigits) {
    if (digits < 1 || digits > 15 || exponentDigits > 8 || !std::isfinite(value)) return false;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    std::uint64_t significand = 0;
    int exponent = 0;
    if (magnitude != 0.0 && !fastExponentSignificand(magnitude, digits, significand, exponent)) return false;
    const int absExponent = exponent < 0 ? -exponent : exponent;
    // The exponent part: E+dd, +ddd (three digits replace the letter), or E+ and e digits.
    int exponentWidth = 2;
    bool letter = true;
    if (exponentDigits > 0) {
        if (static_cast<std::uint64_t>(absExponent) >= kIntegerPowersOfTen[exponentDigits]) return false;
        exponentWidth = exponentDigits;
    } else if (absExponent > 999) {
        return false;
    } else if (absExponent > 99) {
        exponentWidth = 3;
        letter = false;
    }
    int length = 2 + digits + (letter ? 1 : 0) + 1 + exponentWidth + (negative ? 1 : 0);
    const bool dropZero = length > width;  // the optional zero before the point
    if (dropZero) --length;
    char* const columns = text.take(blanks + static_cast<std::size_t>(width));
    if (columns == nullptr) return false;
    char* p = columns + blanks + width;
    if (length > width) {
        std::memset(p - width, '*', static_cast<std::size_t>(width));
        return true;
    }
    std::uint64_t exponentDigitsLeft = static_cast<std::uint64_t>(absExponent);
    p = writeDigitsBackward(exponentDigitsLeft, exponentWidth, p);
    *--p = exponent < 0 ? '-' : '+';
    if (letter) *--p = 'E';
    p = writeDigitsBackward(significand, digits, p);
    *--p = '.';
    if (!dropZero) *--p = '0';
    if (negative) *--p = '-';
    return true;
}

// Iw and Iw.m by the fast path (every value but the plain Iw.0 of a zero and the most negative
// integer). False, with nothing written, when it leaves the field to the general path.
bool writeIntegerFast(RecordText& text, std::size_t blanks, long long value, int width, int minDigits) {
    if (value == std::numeric_limits<long long>::min() || minDigits > 20) return false;
    if (minDigits == 0 && value == 0) return false;
    const bool negative = value < 0;
    auto magnitude = static_cast<std::uint64_t>(negative ? -value : value);
    const int digits = std::max(decimalDigitCount(magnitude), minDigits);
    const int length = digits + (negative ? 1 : 0);
    char* const columns = text.take(blanks + static_cast<std::size_t>(width));
    if (columns == nullptr) return false;
    char* p = columns + blanks + width;
    if (length > width) {
        std::memset(p - width, '*', static_cast<std::size_t>(width));
        return true;
    }
    p = writeDigitsBackward(magnitude, digits, p);
    if (negative) *--p = '-';
    return true;
}

// The general path writes a field into a string of its own, which then joins the record; kept out
// of line so that the fast path stays free of the string's setup.
void writeFixedGeneral(RecordText& text, std::size_t blanks, double value, int width, int decimals) {
    if (!std::isfinite(value)) text.markNonFinite();
    std::string field;
    appendFixed(field, value, width, decimals, blanks);
    text.put(field);
}

void writeExponentGeneral(RecordText& text, std::size_t blanks, double value, int width, int digits,
                                            int exponentDigits) {
    if (!std::isfinite(value)) text.markNonFinite();
    std::string field;
    appendExponent(field, value, width, digits, exponentDigits, blanks);
    text.put(field);
}

void writeIntegerGeneral(RecordText& text, std::size_t blanks, long long value, int width,
                                           int minDigits) {
    std::string field;
    appendInteger(field, value, width, minDigits, blanks);
    text.put(field);
}

void writeFixed(RecordText& text, std::size_t blanks, double value, int width, int decimals) {
    if (!writeFixedFast(text, blanks, value, width, decimals)) writeFixedGeneral(text, blanks, value, width, decimals);
}

void writeExponent(RecordText& text, std::size_t blanks, double value, int width, int digits, int exponentDigits) {
    if (!writeExponentFast(text, blanks, value, width, digits, exponentDigits)) {
        writeExponentGeneral(text, blanks, value, width, digits, exponentDigits);
    }
}

void writeInteger(RecordText& text, std::size_t blanks, long long value, int width, int minDigits) {
    if (!writeIntegerFast(text, blanks, value, width, minDigits)) writeIntegerGeneral(text, blanks, value, width, minDigits);
}

void writeText(RecordText& text, std::size_t blanks, std::string_view value, int width) {
    if (blanks > 0 && text.take(blanks) == nullptr) text.put(std::string(blanks, ' '));
    if (width <= 0) {
        text.put(value);
    } else if (static_cast<int>(value.size()) >= width) {
        text.put(value.substr(0, static_cast<std::size_t>(width)));
    } else {
        char* const field = text.take(static_cast<std::size_t>(width));
        if (field == nullptr) {
            std::string padded;
            appendText(padded, value, width);
            text.put(padded);
        } else {
            std::memcpy(field + (width - static_cast<int>(value.size())), value.data(), value.size());
        }
    }
}

// The lines of a format for the given values, separated by '\n', without a final newline.
void writeRecordText(RecordText& out, const FortranFormat& fmt, std::span<const FormatArg> values) {
    std::size_t pendingBlanks = 0;
    std::size_t next = 0;  // next value
    auto endLine = [&] {
        out.put("\n");
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
                writeText(out, pendingBlanks, fmt.text(it), 0);
                pendingBlanks = 0;
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
                    // The blanks of nX before a field are written with it.
                    const std::size_t blanks = pendingBlanks;
                    pendingBlanks = 0;
                    switch (it.kind) {
                        case FormatItem::Kind::Text:
                            assert(v.kind() == FormatArg::Kind::Text && "A edit descriptor needs a text value");
                            writeText(out, blanks, v.text(), it.width);
                            break;
                        case FormatItem::Kind::Fixed:
                            assert(v.kind() != FormatArg::Kind::Text && "F edit descriptor needs a number");
                            writeFixed(out, blanks, v.real(), it.width, it.digits);
                            break;
                        case FormatItem::Kind::Exponent:
                            assert(v.kind() != FormatArg::Kind::Text && "E edit descriptor needs a number");
                            writeExponent(out, blanks, v.real(), it.width, it.digits, it.exponent);
                            break;
                        default:
                            assert(v.kind() == FormatArg::Kind::Integer && "I edit descriptor needs an integer");
                            writeInteger(out, blanks,
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
}

}  // namespace

std::string formatFixed(double value, int width, int decimals) {
    std::string out;
    {
        RecordText text(out);
        writeFixed(text, 0, value, width, decimals);
    }
    return out;
}

std::string formatExponent(double value, int width, int digits, int exponentDigits) {
    std::string out;
    {
        RecordText text(out);
        writeExponent(text, 0, value, width, digits, exponentDigits);
    }
    return out;
}

std::string formatInteger(long long value, int width, int minDigits) {
    std::string out;
    {
        RecordText text(out);
        writeInteger(text, 0, value, width, minDigits);
    }
    return out;
}

std::string formatText(std::string_view text, int width) {
    std::string out;
    appendText(out, text, width);
    return out;
}

std::string formatFreeIntegers(std::span<const long long> values) {
    std::string line;
    {
        RecordText text(line);
        for (long long v : values) writeInteger(text, 0, v, 12, -1);
    }
    return line;
}

std::string formatRecords(const FortranFormat& fmt, std::span<const FormatArg> values) {
    std::string out;
    {
        RecordText text(out);
        writeRecordText(text, fmt, values);
    }
    return out;
}

FormattedRecord formatRecord(const FortranFormat& fmt, std::span<const FormatArg> values) {
    FormattedRecord record;
    {
        RecordText text(record.text);
        writeRecordText(text, fmt, values);
        record.nonFinite = text.nonFinite();
    }
    return record;
}

namespace detail {

std::string formatFixedGeneral(double value, int width, int decimals) {
    std::string out;
    appendFixed(out, value, width, decimals, 0);
    return out;
}

std::string formatExponentGeneral(double value, int width, int digits, int exponentDigits) {
    std::string out;
    appendExponent(out, value, width, digits, exponentDigits, 0);
    return out;
}

}  // namespace detail

// Straight to the stream's buffer, as the stream's own write puts it there: nothing more is written
// to a stream in error, and a short write puts the stream in error.
void RecordWriter::putStream(std::string_view text) {
    if (out_ == nullptr || !out_->good()) return;
    const auto length = static_cast<std::streamsize>(text.size());
    if (out_->rdbuf() == nullptr || out_->rdbuf()->sputn(text.data(), length) != length) {
        out_->setstate(std::ios::badbit);
    }
}

namespace {

// The text of one write of a writer: its gathering buffer when it gathers, else a buffer of its own
// (after what was gathered).
template <typename Body>
void writeThrough(RecordWriter& writer, bool gathering, std::vector<char>& gathered, std::size_t& used,
                  const Body& body) {
    if (gathering) {
        const TextSink toStream{&writer, [](void* w, std::string_view t) { static_cast<RecordWriter*>(w)->putStream(t); }};
        RecordText text(toStream, gathered.data(), gathered.size(), used);
        body(text);
    } else {
        writer.flush();
        const TextSink sink{&writer, [](void* w, std::string_view t) { static_cast<RecordWriter*>(w)->putStream(t); }};
        RecordText text(sink);
        body(text);
    }
}

}  // namespace

void RecordWriter::attach(std::ostream* out) {
    if (out != out_) {
        std::fill(gathered_.begin(), gathered_.begin() + static_cast<std::ptrdiff_t>(gatheredUsed_), ' ');
        gatheredUsed_ = 0;
    }
    out_ = out;
}

// Gathered text goes to the stream in pieces of up to 2000 bytes: large enough to spare a call
// per record, small enough that its copies stay in the processor's short-copy loops.
constexpr std::size_t kGatheredBytes = 2000;

void RecordWriter::gather(bool on) {
    if (on) {
        if (gathered_.empty()) gathered_.assign(kGatheredBytes, ' ');
        return;
    }
    flush();
    gathered_.clear();
    gathered_.shrink_to_fit();
}

void RecordWriter::flush() {
    if (gatheredUsed_ == 0) return;
    putStream(std::string_view(gathered_.data(), gatheredUsed_));
    std::fill(gathered_.begin(), gathered_.begin() + static_cast<std::ptrdiff_t>(gatheredUsed_), ' ');
    gatheredUsed_ = 0;
}

void RecordWriter::writeRecords(const FortranFormat& fmt, std::span<const FormatArg> values) {
    if (out_ == nullptr) return;
    ++sectionRecords_;
    writeThrough(*this, !gathered_.empty(), gathered_, gatheredUsed_, [&](RecordText& text) {
        writeRecordText(text, fmt, values);
        if (text.nonFinite() && guard_ != nullptr) {
            text.discard();
            refuseRecord();
            return;
        }
        text.put("\n");
    });
}

void RecordWriter::write(const FormattedRecord& record) {
    if (out_ == nullptr) return;
    ++sectionRecords_;
    if (record.nonFinite && guard_ != nullptr) {
        refuseRecord();
        return;
    }
    writeThrough(*this, !gathered_.empty(), gathered_, gatheredUsed_, [&](RecordText& text) {
        text.put(record.text);
        text.put("\n");
    });
}

void RecordWriter::refuseRecord() {
    NonFiniteGuard& g = *guard_;
    if (!g.tripped) {
        g.tripped = true;
        g.section = section_;
        g.row = sectionRecords_;
    }
    for (RecordWriter* w : g.writers) {
        if (w != nullptr) w->stop();
    }
}

void RecordWriter::stop() {
    flush();
    if (out_ != nullptr) stoppedOut_ = out_;
    out_ = nullptr;
}

void RecordWriter::resume() {
    guard_ = nullptr;
    if (out_ == nullptr) out_ = stoppedOut_;
    stoppedOut_ = nullptr;
}

void NonFiniteGuard::watch(std::initializer_list<RecordWriter*> guarded) {
    std::size_t i = 0;
    for (RecordWriter* w : guarded) {
        if (i == writers.size()) break;
        writers[i++] = w;
        w->guard_ = this;
    }
}

void RecordWriter::writeFree(std::initializer_list<long long> values) {
    if (out_ == nullptr) return;
    writeThrough(*this, !gathered_.empty(), gathered_, gatheredUsed_, [&](RecordText& text) {
        for (long long v : values) writeInteger(text, 0, v, 12, -1);
        text.put("\n");
    });
}

void RecordWriter::writeLine(std::string_view line) {
    if (out_ == nullptr) return;
    writeThrough(*this, !gathered_.empty(), gathered_, gatheredUsed_, [&](RecordText& text) {
        text.put(line);
        text.put("\n");
    });
}

}  // namespace vorta
