// Fortran-style formatted output. Report and plot-data lines are written through formats given
// as edit descriptors exactly as the report layouts are written, for example
//     report.write("(11X,F7.2,6X,F8.1,6X,F8.1,4X,F9.1)", length, skin, tip, ultimate);
// A format literal is parsed once, when the program is compiled.
//
// Descriptors: nX (n blanks), Aw and A (text), Fw.d (fixed point), Ew.d and Ew.dEe (exponent
// form 0.ddd), Iw and Iw.m (integer, at least m digits), "text" and 'text' (written as they
// stand), / (ends a line), r(...) (a group repeated r times), and a repeat count r before a data
// descriptor (3E16.4). The rules are Fortran's: a value too wide for its field prints as
// asterisks; numbers round to nearest on their exact binary value with ties to even; a negative
// value that rounds to zero keeps its sign; the optional zero before the decimal point is
// dropped only when the field has no room for it; blanks of nX at the end of a line are not
// written; output stops at the first data descriptor for which no value is left; values left
// over when the format ends start a new line at the last top-level group (or the format start).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vorta {

struct FormatItem {
    enum class Kind : std::uint8_t { Literal, Blanks, Slash, Text, Fixed, Exponent, Integer, GroupBegin, GroupEnd };
    Kind kind = Kind::Literal;
    std::int16_t repeat = 1;       // data descriptors, groups and slashes
    std::int16_t width = 0;        // A (0: the text's own length), F, E, I; X: blank count
    std::int16_t digits = -1;      // F, E: digits after the point; I: minimum digits (-1: none)
    std::int16_t exponent = 0;     // E: exponent digits when given as Ew.dEe (0: default)
    std::int16_t partner = 0;      // groups: index of the matching begin or end
    std::int16_t textOffset = 0;   // literals: position in the text pool
    std::int16_t textLength = 0;
};

class FortranFormat {
public:
    static constexpr std::size_t kMaxItems = 64;
    static constexpr std::size_t kMaxText = 512;

    // Compile-time parse of a format literal; a malformed format does not compile.
    template <std::size_t N>
    consteval FortranFormat(const char (&text)[N]) {  // NOLINT(google-explicit-constructor)
        parse(std::string_view(text, N - 1));
    }

    // Run-time parse (tests and tools); throws std::invalid_argument on a malformed format.
    static constexpr FortranFormat fromText(std::string_view text) {
        FortranFormat f;
        f.parse(text);
        return f;
    }

    constexpr std::size_t size() const { return count_; }
    constexpr const FormatItem& item(std::size_t i) const { return items_[i]; }
    constexpr std::size_t reversionIndex() const { return reversion_; }
    constexpr std::string_view text(const FormatItem& it) const {
        return std::string_view(pool_.data() + it.textOffset, static_cast<std::size_t>(it.textLength));
    }

private:
    constexpr FortranFormat() = default;

    constexpr void parse(std::string_view s);
    constexpr FormatItem& add(FormatItem::Kind kind) {
        if (count_ >= kMaxItems) throw std::invalid_argument("format has too many items");
        items_[count_] = FormatItem{};
        items_[count_].kind = kind;
        return items_[count_++];
    }

    std::array<FormatItem, kMaxItems> items_{};
    std::array<char, kMaxText> pool_{};
    std::size_t count_ = 0;
    std::size_t poolUsed_ = 0;
    std::size_t reversion_ = 0;
};

constexpr void FortranFormat::parse(std::string_view s) {
    std::size_t p = 0;
    auto skipBlanks = [&] {
        while (p < s.size() && (s[p] == ' ' || s[p] == '\t')) ++p;
    };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto readNumber = [&]() -> int {
        skipBlanks();
        if (p >= s.size() || !isDigit(s[p])) throw std::invalid_argument("format: number expected");
        int v = 0;
        while (p < s.size() && isDigit(s[p])) {
            v = v * 10 + (s[p] - '0');
            if (v > 30000) throw std::invalid_argument("format: number too large");
            ++p;
        }
        return v;
    };
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };

    skipBlanks();
    if (p >= s.size() || s[p] != '(') throw std::invalid_argument("format: must start with '('");
    ++p;
    std::array<std::size_t, 16> open{};
    std::size_t depth = 0;
    bool lastTopGroupSet = false;
    while (true) {
        skipBlanks();
        if (p >= s.size()) throw std::invalid_argument("format: missing ')'");
        char c = s[p];
        if (c == ',') {
            ++p;
            continue;
        }
        if (c == ')') {
            ++p;
            if (depth == 0) break;
            std::size_t begin = open[--depth];
            FormatItem& end = add(FormatItem::Kind::GroupEnd);
            end.partner = static_cast<std::int16_t>(begin);
            items_[begin].partner = static_cast<std::int16_t>(count_ - 1);
            continue;
        }
        if (c == '/') {
            ++p;
            add(FormatItem::Kind::Slash);
            continue;
        }
        if (c == '"' || c == '\'') {
            char quote = c;
            ++p;
            FormatItem& lit = add(FormatItem::Kind::Literal);
            lit.textOffset = static_cast<std::int16_t>(poolUsed_);
            while (true) {
                if (p >= s.size()) throw std::invalid_argument("format: unterminated text");
                if (s[p] == quote) {
                    if (p + 1 < s.size() && s[p + 1] == quote) {
                        p += 2;
                        if (poolUsed_ >= kMaxText) throw std::invalid_argument("format: text too long");
                        pool_[poolUsed_++] = quote;
                        continue;
                    }
                    ++p;
                    break;
                }
                if (poolUsed_ >= kMaxText) throw std::invalid_argument("format: text too long");
                pool_[poolUsed_++] = s[p++];
            }
            lit.textLength = static_cast<std::int16_t>(poolUsed_ - static_cast<std::size_t>(lit.textOffset));
            continue;
        }
        int repeat = 1;
        bool hasRepeat = false;
        if (isDigit(c)) {
            repeat = readNumber();
            hasRepeat = true;
            skipBlanks();
            if (p >= s.size()) throw std::invalid_argument("format: descriptor expected");
            c = s[p];
        }
        if (c == '(') {
            ++p;
            if (depth >= open.size()) throw std::invalid_argument("format: groups nested too deeply");
            if (depth == 0) {
                reversion_ = count_;
                lastTopGroupSet = true;
            }
            open[depth++] = count_;
            FormatItem& g = add(FormatItem::Kind::GroupBegin);
            g.repeat = static_cast<std::int16_t>(repeat);
            continue;
        }
        if (c == '/') {
            ++p;
            FormatItem& sl = add(FormatItem::Kind::Slash);
            sl.repeat = static_cast<std::int16_t>(repeat);
            continue;
        }
        char d = upper(c);
        ++p;
        if (d == 'X') {
            FormatItem& x = add(FormatItem::Kind::Blanks);
            x.width = static_cast<std::int16_t>(hasRepeat ? repeat : 1);
            continue;
        }
        if (d == 'A') {
            FormatItem& a = add(FormatItem::Kind::Text);
            a.repeat = static_cast<std::int16_t>(repeat);
            skipBlanks();
            if (p < s.size() && isDigit(s[p])) a.width = static_cast<std::int16_t>(readNumber());
            continue;
        }
        if (d == 'F' || d == 'E' || d == 'I') {
            FormatItem& v = add(d == 'F' ? FormatItem::Kind::Fixed
                                         : (d == 'E' ? FormatItem::Kind::Exponent : FormatItem::Kind::Integer));
            v.repeat = static_cast<std::int16_t>(repeat);
            v.width = static_cast<std::int16_t>(readNumber());
            if (v.width < 1) throw std::invalid_argument("format: field width must be positive");
            skipBlanks();
            if (p < s.size() && s[p] == '.') {
                ++p;
                v.digits = static_cast<std::int16_t>(readNumber());
            } else if (d != 'I') {
                throw std::invalid_argument("format: F and E need a decimal count");
            }
            if (d == 'E') {
                if (v.digits < 1) throw std::invalid_argument("format: E needs at least one digit");
                skipBlanks();
                if (p < s.size() && upper(s[p]) == 'E') {
                    ++p;
                    v.exponent = static_cast<std::int16_t>(readNumber());
                }
            }
            continue;
        }
        throw std::invalid_argument("format: unknown edit descriptor");
    }
    skipBlanks();
    if (p != s.size()) throw std::invalid_argument("format: text after the closing ')'");
    if (depth != 0) throw std::invalid_argument("format: unbalanced parentheses");
    if (!lastTopGroupSet) reversion_ = 0;
}

// One value handed to a format.
class FormatArg {
public:
    enum class Kind : std::uint8_t { Integer, Real, Text };

    template <typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    constexpr FormatArg(T v) : kind_(Kind::Integer), integer_(static_cast<long long>(v)) {}  // NOLINT
    constexpr FormatArg(double v) : kind_(Kind::Real), real_(v) {}                            // NOLINT
    constexpr FormatArg(float v) : kind_(Kind::Real), real_(static_cast<double>(v)) {}        // NOLINT
    constexpr FormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}                  // NOLINT
    constexpr FormatArg(const char* v) : kind_(Kind::Text), text_(v) {}                       // NOLINT
    FormatArg(const std::string& v) : kind_(Kind::Text), text_(v) {}                          // NOLINT

    constexpr Kind kind() const { return kind_; }
    constexpr long long integer() const { return integer_; }
    constexpr double real() const { return kind_ == Kind::Integer ? static_cast<double>(integer_) : real_; }
    constexpr std::string_view text() const { return text_; }

private:
    Kind kind_;
    long long integer_ = 0;
    double real_ = 0.0;
    std::string_view text_;
};

// The lines that a format writes for the given values, separated by '\n' (no final newline).
std::string formatRecords(const FortranFormat& format, std::span<const FormatArg> values);

template <typename... Values>
std::string format(const FortranFormat& fmt, const Values&... values) {
    const std::array<FormatArg, sizeof...(Values)> args{FormatArg(values)...};
    return formatRecords(fmt, std::span<const FormatArg>(args.data(), args.size()));
}

// One record as a format writes it, kept to be written later (the lines of a problem of the input
// checks): its lines separated by '\n' (no final newline), and whether a value was not finite.
struct FormattedRecord {
    std::string text;
    bool nonFinite = false;
};
FormattedRecord formatRecord(const FortranFormat& format, std::span<const FormatArg> values);

template <typename... Values>
FormattedRecord formatRecord(const FortranFormat& fmt, const Values&... values) {
    const std::array<FormatArg, sizeof...(Values)> args{FormatArg(values)...};
    return formatRecord(fmt, std::span<const FormatArg>(args.data(), args.size()));
}

// Single fields, as the descriptors write them.
std::string formatFixed(double value, int width, int decimals);                      // Fw.d
std::string formatExponent(double value, int width, int digits, int exponent = 0);   // Ew.d, Ew.dEe
std::string formatInteger(long long value, int width, int minDigits = -1);           // Iw, Iw.m
std::string formatText(std::string_view text, int width);                            // Aw (0: A)

// The general conversion of Fw.d and Ew.d fields alone, without the exact fast path that the
// formatter tries first; the tests hold the two against each other.
namespace detail {
std::string formatFixedGeneral(double value, int width, int decimals);
std::string formatExponentGeneral(double value, int width, int digits, int exponent = 0);
}  // namespace detail

// A free-format (list-directed) record of integers, as the plot-data count records are written.
std::string formatFreeIntegers(std::span<const long long> values);

// A part of a run's output: a table or a curve, with its number when it has one ("T-Z CURVE", 5).
struct OutputSection {
    std::string_view name;
    std::string_view title;  // follows the name ("THE TABLE OF THE ", "FED. HWY. METHOD")
    int number = 0;          // 0: none
};

class RecordWriter;

// The last guard of a run's output: a number that is not finite (NaN, Infinity) is never written.
// The record that holds one is dropped, every writer that the guard watches stops writing (what
// they gathered before goes to their streams), and the guard keeps where that happened: the
// section of the output and the record's place in it (the first record written after the section
// was named is row 1). The run then stops on it. The formatter's exact fast path is untouched (it
// takes only finite numbers); its general path marks a field that is not finite, and a record
// costs its writer no more than a count and one test.
struct NonFiniteGuard {
    bool tripped = false;
    OutputSection section;
    long long row = 0;
    std::array<RecordWriter*, 2> writers{};

    // Guards the writers (at most two: the report and the plot-data file).
    void watch(std::initializer_list<RecordWriter*> guarded);
};

// Writes whole lines through formats to a stream; the report file, the plot-data file and the
// console are each one of these.
class RecordWriter {
public:
    RecordWriter() = default;
    explicit RecordWriter(std::ostream* out) : out_(out) {}

    // A new stream drops whatever was gathered for the previous one (see gather).
    void attach(std::ostream* out);

    // Gathering: records are kept in the writer and handed to the stream in large pieces, when
    // the gathered text fills its buffer and at flush(). For a file that nothing else writes to
    // and that is flushed through its writer before it closes (see FileAttachment).
    void gather(bool on);
    void flush();

    // Attaches a file to a writer that gathers for it; flushes and detaches when it goes, so that
    // nothing gathered outlives the file. Declare it after the file.
    class FileAttachment {
    public:
        FileAttachment(RecordWriter& writer, std::ostream& file) : writer_(writer) {
            writer_.attach(&file);
            writer_.gather(true);
        }
        ~FileAttachment() {
            writer_.gather(false);
            writer_.attach(nullptr);
        }
        FileAttachment(const FileAttachment&) = delete;
        FileAttachment& operator=(const FileAttachment&) = delete;

    private:
        RecordWriter& writer_;
    };
    std::ostream* stream() const { return out_; }
    bool attached() const { return out_ != nullptr; }

    // Names the section of the output that the next records belong to; rows count from there.
    void section(std::string_view name, std::string_view title = {}, int number = 0) {
        section_ = OutputSection{name, title, number};
        sectionRecords_ = 0;
    }
    // Leaves the guard and writes again to the stream it was stopped on (the reason for a stop).
    void resume();

    template <typename... Values>
    void write(const FortranFormat& fmt, const Values&... values) {
        if (out_ == nullptr) return;
        const std::array<FormatArg, sizeof...(Values)> args{FormatArg(values)...};
        writeRecords(fmt, std::span<const FormatArg>(args.data(), args.size()));
    }
    void writeRecords(const FortranFormat& fmt, std::span<const FormatArg> values);
    // A record formatted before, written as write() would have written it.
    void write(const FormattedRecord& record);

    // A free-format record of integers (count records of the plot-data file).
    void writeFree(std::initializer_list<long long> values);

    // A line as it stands.
    void writeLine(std::string_view line);

    // Text as it stands, straight to the stream (the formatter's own use).
    void putStream(std::string_view text);

private:
    std::ostream* out_ = nullptr;
    std::vector<char> gathered_;  // blanks where nothing is written yet; empty when not gathering
    std::size_t gatheredUsed_ = 0;
    NonFiniteGuard* guard_ = nullptr;
    OutputSection section_;
    long long sectionRecords_ = 0;
    std::ostream* stoppedOut_ = nullptr;

    // A record that holds a number that is not finite: the guard keeps the place and the writers
    // it watches stop.
    void refuseRecord();
    void stop();
    friend struct NonFiniteGuard;
};

}  // namespace vorta
