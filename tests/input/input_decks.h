// Input data files for the input tests, assembled record by record so that a test changes only
// the records it is about.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/analysis_state.h"
#include "input/free_format_reader.h"
#include "input/input.h"
#include "support/test_support.h"

namespace vorta::test {

struct Deck {
    std::string title = "SMALL TEST PILE";
    std::string designer = "A. ENGINEER";
    std::string jobNumber = "J-1";
    std::string rec4 = "1 1 4 0";                    // units, output step, soil points, tip closure
    std::string rec5 = "0 0 24 23 29000000 50 0";    // perimeter, tip area, OD, ID, E, length, stickup
    std::string rec6 = "0 0 0";                      // enhanced end length and ID, batter
    std::string rec7 = "0 1 1 0 1 0 0";              // ZFL, increment, type, taper, LT method, CPT, reduced
    std::string rec8 = "1 0 0 0 0 0 0 0 0";          // methods
    std::string rec9 = "60 0";                       // deepest soil depth, cross-section area
    // Two lines per soil point: depth and columns 1-5, then columns 6-19.
    std::vector<std::string> soil = {
        "0 1 0 120 30 0",  "0 0 0 10 0 0 0 0 0 1 1 0 0 0",
        "30 1 0 120 30 0", "0 0 0 10 0 0 0 0 0 1 1 0 0 0",
        "30 2 1 110 0 0",  "1000 0 2000 1000 0 20 0 0 0 1 1 0 0 0",
        "60 2 1 110 0 0",  "1000 0 2000 1000 0 20 0 0 0 1 1 0 0 0",
    };
    std::string rec11 = "0";       // verification flag and what follows it
    std::string rec12 = "0 1";     // loading type, tension factor
    std::string rec13 = "0 0 0";   // ICP drained clay, plug condition, long pile option
    std::string rec14 = "0 0";     // area rows, area option, and the rows
    std::string rec15 = "0 0";     // critical depth method, critical depth
    std::string rec16 = "0";       // modifier flag and what follows it
    std::string rec17 = "0";       // tip movement flag and what follows it
    std::string rec18 = "0";       // tip curve factor flag and what follows it

    std::string text() const {
        std::string t = title + "\n" + designer + "\n" + jobNumber + "\n";
        for (const std::string* r : {&rec4, &rec5, &rec6, &rec7, &rec8, &rec9}) t += *r + "\n";
        for (const std::string& line : soil) t += line + "\n";
        for (const std::string* r : {&rec11, &rec12, &rec13, &rec14, &rec15, &rec16, &rec17, &rec18}) t += *r + "\n";
        return t;
    }
};

// A state filled from an input text (and a CPT text with no points), as the run reads them.
inline std::unique_ptr<AnalysisState> readDeck(const std::string& inputText, const std::string& cptText = "0 0\n") {
    auto s = newState();
    std::istringstream input(inputText);
    FreeFormatReader in(input, "case.dat");
    readInputData(*s, in);
    std::istringstream cpt(cptText);
    FreeFormatReader c(cpt, "case.cpt");
    readCptFile(*s, c);
    return s;
}

}  // namespace vorta::test
