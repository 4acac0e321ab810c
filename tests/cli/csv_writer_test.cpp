#include "csv_writer.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vorta::cli {
namespace {

// Plain text and blanks stand as they are; a comma, quote, carriage return or line feed quotes
// the field, and quotes inside it are doubled.
TEST(CsvField, OnlyCommasQuotesAndLineEndsAreQuotedAndQuotesDoubled) {
    const std::pair<std::string, std::string> cases[] = {
        {"FHWA", "FHWA"},
        {"", ""},
        {"  24.00 ", "  24.00 "},
        {"API RP-2A", "API RP-2A"},
        {"PIER 7, ROW B", "\"PIER 7, ROW B\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
        {"a\r\nb", "\"a\r\nb\""},
        {"18\" PIPE", "\"18\"\" PIPE\""},
        {"\"", "\"\"\"\""},
        {"\"\"", "\"\"\"\"\"\""},
        {"say \"yes\", then go", "\"say \"\"yes\"\", then go\""},
    };
    for (const auto& [text, field] : cases) EXPECT_EQ(csvField(text), field) << text;
}

TEST(CsvRecord, FieldsAreSeparatedByCommasAndTheRecordEndsWithCrLf) {
    const std::vector<std::string> fields = {"case", "a,b", "", "x\"y", "end"};
    EXPECT_EQ(csvRecord(fields), "case,\"a,b\",,\"x\"\"y\",end\r\n");
    EXPECT_EQ(csvRecord(std::vector<std::string>{}), "\r\n");
    // A record of empty fields keeps every separator.
    EXPECT_EQ(csvRecord(std::vector<std::string>{"", "", ""}), ",,\r\n");
}

TEST(CsvWriter, RecordsFollowEachOtherWithCrLfAndNoOtherLineEnd) {
    std::ostringstream out;
    CsvWriter csv(out);
    csv.writeRecord({"case", "title"});
    csv.writeRecord({"examples/a", "TWO\nLINES"});
    EXPECT_TRUE(csv.good());
    EXPECT_EQ(out.str(), "case,title\r\nexamples/a,\"TWO\nLINES\"\r\n");
}

}  // namespace
}  // namespace vorta::cli
