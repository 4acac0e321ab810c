// Reads an example analysis in both its forms, the project file and the input data file with its
// CPT file, runs each in memory and prints the last row of every capacity table. Status 0 when
// both runs complete with the same tables, 1 otherwise.
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "vorta/analysis.h"
#include "vorta/project.h"
#include "vorta/vorta.h"

namespace {

bool runInMemory(const vorta::Analysis& analysis, vorta::AnalysisResult& result) {
    std::ostringstream console;
    vorta::RunOptions options;
    options.console = &console;
    options.clock = vorta::LocalDateTime{2024, 1, 2, 3, 4, 5};
    options.result = &result;
    const vorta::RunStatus status = vorta::runAnalysis(analysis, options);
    if (status != vorta::kRunCompleted) {
        std::fprintf(stderr, "run stopped with status %d:\n%s", status, console.str().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorta_consumer EXAMPLE_FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    vorta::AnalysisResult fromProject;
    vorta::AnalysisResult fromDeck;
    try {
        if (!runInMemory(vorta::readAnalysisFile(folder / "project.toml").analysis, fromProject)) return 1;
        if (!runInMemory(vorta::readInputDeck(folder / "input.dat", folder / "sounding.cpt"), fromDeck)) return 1;
    } catch (const vorta::InputError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    if (fromProject.tables.empty() || fromProject.tables.size() != fromDeck.tables.size()) {
        std::fprintf(stderr, "expected the same capacity tables from both forms, found %zu and %zu\n",
                     fromProject.tables.size(), fromDeck.tables.size());
        return 1;
    }
    for (std::size_t i = 0; i < fromProject.tables.size(); ++i) {
        const vorta::MethodTable& table = fromProject.tables[i];
        const vorta::MethodTable& other = fromDeck.tables[i];
        if (table.rows.empty() || table.rows.size() != other.rows.size() ||
            table.rows.back().ultimateCapacity != other.rows.back().ultimateCapacity) {
            std::fprintf(stderr, "table %s differs between the project file and the input data file\n",
                         table.title.c_str());
            return 1;
        }
        const vorta::CapacityRow& last = table.rows.back();
        std::printf("%s: %zu rows, ultimate capacity %.1f at pile length %.2f\n", table.title.c_str(),
                    table.rows.size(), last.ultimateCapacity, last.pileLength);
    }
    return 0;
}
