// The example analyses as the chart tests see them: what each one's plot-data file must hold,
// worked out from its input data file, and a run of the engine on it into a fresh folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "vorta/vorta.h"

namespace vorta::test {

struct ChartExample {
    const char* folder;
    std::vector<int> tables;  // selection indices of the printed tables, in report order
    int printedRows;          // rows = embedded length / increment + 1, printed every outputStep-th and the last
    int rows;                 // every row, which the run's results hold
    int layerCurves;          // three per layer at least 0.11 thick (stickup slots are not printed)
    int loadSteps;            // 13 by default, else the user list
    int verificationCurves;   // listed depths within the soil profile
    bool tension;
};

// Worked out from each example's input.dat (rows = embedded length / increment + 1; printed rows
// 1, 1 + p, 1 + 2p, ... and the last, p = outputStep):
// - battered: 80 ft with 20 ft stickup = 60 ft embedded in 1 ft, p = 2: 61 rows, 31 printed; 3 layers.
// - closed-pipe-si: 25.5 - 1.5 = 24 m in 0.5 m, p = 2: 49 rows, 25 printed; 4 layers.
// - cpt-four-methods-si: 30 m in 0.5 m, p = 2: 61 rows, 31 printed; CPT methods on, 4 layers.
// - general: 45 ft in 1 ft, p = 1: 46 rows; 3 layers; the general table comes first.
// - h-pile: 60 ft in 1 ft, p = 5: rows 1, 6, ..., 61 = 13; 5 layers.
// - long profile: 90 ft in 0.2 ft = 451 rows, p = 25: rows 1, 26, ..., 451 = 19; 10 layers.
// - open pipe: 75 - 5 = 70 ft in 1 ft, p = 2: rows 1, 3, ..., 71 = 36; 4 layers.
// - verification: 40 ft in 1 ft, p = 2: 21; 3 layers; a list of ten tip movements; of the four
//   depths 5, 18, 35 and 60 ft, 60 lies below the 50 ft profile: three curves.
inline const std::vector<ChartExample>& chartExamples() {
    static const std::vector<ChartExample> examples = {
        {"battered-pipe-pile", {1, 2, 4}, 31, 61, 9, 13, 0, false},
        {"closed-pipe-si", {1, 2, 3, 4, 6, 7}, 25, 49, 12, 13, 0, false},
        {"cpt-four-methods-si", {4, 6, 7, 8, 9}, 31, 61, 12, 13, 0, false},
        {"general-method-user-values", {5, 1}, 46, 46, 9, 13, 0, false},
        {"h-pile-clay-silt-sand", {1, 2, 3, 4}, 13, 61, 15, 13, 0, false},
        {"long-profile-500-segments", {3, 4}, 19, 451, 30, 13, 0, false},
        {"open-pipe-sand-over-clay", {1, 2, 4}, 36, 71, 12, 13, 0, false},
        {"square-precast-concrete", {1, 2, 4, 6, 8}, 51, 101, 12, 13, 0, false},
        {"tapered-monotube", {1, 2, 4}, 41, 81, 9, 13, 0, false},
        {"timber-pile-tension", {1, 2, 4}, 36, 71, 9, 13, 0, true},
        {"usace-density-rule", {2}, 41, 81, 9, 13, 0, false},
        {"usace-stress-rule-si", {2}, 23, 45, 12, 13, 0, false},
        {"usace-user-critical-depth", {2}, 26, 51, 6, 13, 0, false},
        {"verification-curves-and-modifiers", {1, 4}, 21, 41, 9, 10, 3, false},
    };
    return examples;
}

// One example run by the engine, with its report, plot-data file and in-memory results.
struct ExampleRun {
    std::unique_ptr<TempDir> dir;
    RunStatus status = kRunCompleted;
    AnalysisResult result;
    std::filesystem::path report;
    std::filesystem::path plot;
};

inline ExampleRun runExample(const std::string& folder) {
    ExampleRun run;
    run.dir = std::make_unique<TempDir>("charts-" + folder);
    const std::filesystem::path source = sourcePath("examples/" + folder);
    RunFiles files;
    files.input = source / "input.dat";
    files.cpt = source / "sounding.cpt";
    files.report = *run.dir / "report.out";
    files.plot = *run.dir / "plot.plt";
    files.versionText = "TEST";
    std::ostringstream console;
    std::istringstream noAnswers;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = kFixedClock;
    options.result = &run.result;
    run.status = runOnFiles(files, options);
    run.report = files.report;
    run.plot = files.plot;
    return run;
}

}  // namespace vorta::test
