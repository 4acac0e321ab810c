// The mechanics that the CPT file readers share: the lines of a text with their numbers, numbers
// read strictly, fields split at a separator with quotes, and the messages that name a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorta::datain {

struct TextLine {
    int number = 0;         // from 1
    std::string_view text;  // without its line end
};

// The lines of a text: a line ends at LF, CR LF or a lone CR; a byte-order mark before the first
// line is dropped.
std::vector<TextLine> splitLines(std::string_view text);

std::string_view trimmed(std::string_view s);
std::string upperCase(std::string_view s);
std::string lowerCase(std::string_view s);

// A decimal number and nothing else ("12", "-0.5", ".5", "1.2E+03"); with `decimalComma` one
// comma may stand for the point ("1,25"). Nothing for any other text, and for a number too large
// to hold.
std::optional<double> parseNumber(std::string_view text, bool decimalComma = false);

// The text quoted for a message: 'abc' (shortened when long).
std::string quotedText(std::string_view text);

// The fields of a line split at `separator`, each trimmed of blanks; a field in double quotes may
// hold the separator, and two double quotes in it stand for one. Nothing when a quote is not
// closed or text follows a closing quote; `problem` then says which.
std::optional<std::vector<std::string>> splitFields(std::string_view line, char separator, std::string& problem);

// The fields of a line separated by blanks and tabs.
std::vector<std::string> splitBlanks(std::string_view line);

// "FILE, line N: " and the same with a part of the file named: "FILE, line N (#COLUMNINFO): ".
std::string at(const std::string& fileName, int line, std::string_view part = {});

}  // namespace vorta::datain
