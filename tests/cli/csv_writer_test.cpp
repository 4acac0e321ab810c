#include "csv_writer.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vorta::cli {
namespace {

TEST(CsvField, PlainTextAndBlanksAreWrittenAsTheyStand) {
    EXPECT_EQ(csvField("FHWA"), "FHWA");
    EXPECT_EQ(csvField(""), "");
    // Blanks are part of a field and need no quotes.
    EXPECT_EQ(csvField("  24.00 "), "  24.00 ");
    EXPECT_EQ(csvField("API RP-2A"), "API RP-2A");
}

TEST(CsvField, CommaQuoteCarriageReturnAndLineFeedAreQuoted) {
    EXPECT_EQ(csvField("PIER 7, ROW B"), "\"PIER 7, ROW B\"");
    EXPECT_EQ(csvField("line\nbreak"), "\"line\nbreak\"");
    EXPECT_EQ(csvField("carriage\rreturn"), "\"carriage\rreturn\"");
    EXPECT_EQ(csvField("a\r\nb"), "\"a\r\nb\"");
}

TEST(CsvField, QuotesInsideAFieldAreDoubled) {
    EXPECT_EQ(csvField("18\" PIPE"), "\"18\"\" PIPE\"");
    EXPECT_EQ(csvField("\""), "\"\"\"\"");
    EXPECT_EQ(csvField("\"\""), "\"\"\"\"\"\"");
    EXPECT_EQ(csvField("say \"yes\", then go"), "\"say \"\"yes\"\", then go\"");
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
