// Input data file -> model -> input data file: the written deck reads back to the same model and
// gives the same report, on every example and on generated decks that state the odd things a deck
// can state (odd soil-point counts, points that do not pair into layers, switches other than 0 and
// 1, a modifier count of 1, negative counts, a sand point's unused column 10, numbers in every
// form the reader takes). The model run in memory gives the same report too.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "input/free_format_reader.h"
#include "support/deck_generator.h"
#include "support/test_support.h"
#include "vorta/analysis.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

using Outputs = test::ModelRun;

// The first line where two texts differ.
::testing::AssertionResult sameLines(const std::string& actual, const std::string& expected) {
    const std::vector<std::string> a = test::splitLines(actual);
    const std::vector<std::string> e = test::splitLines(expected);
    for (std::size_t i = 0; i < std::max(a.size(), e.size()); ++i) {
        const std::string al = i < a.size() ? a[i] : "<end>";
        const std::string el = i < e.size() ? e[i] : "<end>";
        if (al != el) return ::testing::AssertionFailure() << "line " << i + 1 << ":\n  [" << al << "]\n  [" << el << "]";
    }
    return ::testing::AssertionSuccess();
}

Outputs runDeckText(const std::string& deck, const std::string& cpt) {
    test::TempDir dir("round-trip");
    test::writeFile(dir / "case.dat", deck);
    test::writeFile(dir / "case.cpt", cpt);
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.clock = test::kFixedClock;
    Outputs out;
    out.status = runOnFiles({dir / "case.dat", dir / "case.out", dir / "case.plt", dir / "case.cpt", "T"}, options);
    if (fs::exists(dir / "case.out")) out.report = test::reportAfterHeader(test::readFile(dir / "case.out"));
    if (fs::exists(dir / "case.plt")) out.plot = test::readFile(dir / "case.plt");
    return out;
}

// Read from the deck: its messages name the deck's places.
Outputs runInMemory(const Analysis& a) { return test::runModel(a, "case.dat", ValueSource::InputDeck); }

std::string deckText(const Analysis& a) {
    std::ostringstream out;
    writeInputDeck(a, out);
    return out.str();
}

std::string cptText(const Analysis& a) {
    std::ostringstream out;
    writeCptFile(a.cpt, out);
    return out.str();
}

// The whole round trip of one deck: the written deck is a fixed point of read and write, and the
// original deck, the written deck and the model in memory give one report and one plot file.
void expectRoundTrip(const std::string& deck, const std::string& cpt, const std::string& name) {
    SCOPED_TRACE(name);
    const Analysis model = test::readDeckTexts(deck, cpt);
    const std::string written = deckText(model);
    const std::string writtenCpt = cptText(model);
    EXPECT_EQ(deckText(test::readDeckTexts(written, writtenCpt)), written);
    const Outputs original = runDeckText(deck, cpt);
    const Outputs again = runDeckText(written, writtenCpt);
    const Outputs memory = runInMemory(model);
    EXPECT_EQ(again.status, original.status);
    EXPECT_EQ(memory.status, original.status);
    EXPECT_TRUE(sameLines(again.report, original.report)) << "written deck";
    EXPECT_TRUE(sameLines(memory.report, original.report)) << "model in memory";
    EXPECT_EQ(again.plot, original.plot);
    EXPECT_EQ(memory.plot, original.plot);
}

class ExampleDeck : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleDeck, WritesBackToTheSameModelAndReport) {
    const fs::path folder = test::sourcePath("examples/" + GetParam());
    expectRoundTrip(test::readFile(folder / "input.dat"), test::readFile(folder / "sounding.cpt"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleDeck, ::testing::ValuesIn(test::exampleNames()));

// The numbers of a deck after its three title lines, as the reader takes them.
std::vector<double> numbersOf(const std::string& deck) {
    std::vector<double> numbers;
    const std::vector<std::string> lines = test::splitLines(deck);
    for (std::size_t i = 3; i < lines.size(); ++i) {
        std::istringstream words(lines[i]);
        for (std::string word; words >> word;) {
            double v = 0.0;
            EXPECT_TRUE(FreeFormatReader::parseReal(word, v)) << word;
            numbers.push_back(v);
        }
    }
    return numbers;
}

TEST(GeneratedDeck, WritesBackToTheSameNumbersModelAndReport) {
    test::DeckGenerator generator(20240305);
    int completed = 0;
    for (int i = 0; i < 40; ++i) {
        const auto [deck, cpt] = generator.deck();
        const std::string name = "generated deck " + std::to_string(i) + ":\n" + deck;
        expectRoundTrip(deck, cpt, name);
        // Number for number the same deck, a sand point's unused column 10 included; a table's count
        // below zero (alone on its line in these decks) reads no row and is written as 0.
        std::string expected = "\n" + deck;
        for (std::size_t at; (at = expected.find("\n-1\n")) != std::string::npos;) expected.replace(at, 4, "\n0\n");
        EXPECT_EQ(numbersOf(deckText(test::readDeckTexts(deck, cpt))), numbersOf(expected.substr(1))) << name;
        if (runInMemory(test::readDeckTexts(deck, cpt)).status == kRunCompleted) ++completed;
    }
    // Most decks run to the end, so that the reports compared hold every table.
    EXPECT_GE(completed, 25);
}

// Numbers at the edges of a double read back to the same bits through the written text.
TEST(ShortestNumberText, ReadsBackToTheSameDouble) {
    for (double v : {0.1, -0.0, 1.0e-7, 9.999999974752427e-07, 1.0e20, 1.7976931348623157e308, 4.9406564584124654e-324,
                     2.2250738585072014e-308, 123456789012345678.0, 0.3048, 1.0 / 3.0}) {
        const std::string text = shortestNumberText(v);
        Analysis a;
        a.pile.outsideDiameter = v;
        const Analysis back = test::readDeckTexts(deckText(a), "0 0\n");
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back.pile.outsideDiameter), std::bit_cast<std::uint64_t>(v)) << text;
    }
}

// A soil type is a code; a fraction, which some rules would read as no type and others as the
// nearest one, is refused with its place in the file.
TEST(InputDeckReader, FractionalSoilTypeIsRefusedWithItsLine) {
    const fs::path folder = test::sourcePath("examples/usace-user-critical-depth");
    std::string deck = test::readFile(folder / "input.dat");
    const std::vector<std::string> lines = test::splitLines(deck);
    std::istringstream first(lines[9]);
    std::string depth;
    first >> depth;
    deck.replace(deck.find(lines[9]), lines[9].size(), depth + " 1.5 0 120 32 0");
    try {
        test::readDeckTexts(deck, "0 0\n");
        FAIL() << "a soil type of 1.5 was taken";
    } catch (const InputError& e) {
        EXPECT_EQ(std::string(e.what()), "case.dat, line 10 (soil point 1, first record): expected a whole number for the "
                                         "soil type (1 sand, 2 clay, 3 silt), found 1.5");
    }
}

}  // namespace
}  // namespace vorta
