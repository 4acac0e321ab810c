// Timings on the largest grid the engine takes (500 segments, every row printed):
// - the load-settlement analysis alone on a state filled by hand, 501 node curves and the
//   default 13 load steps, with and without writing its report and plot-data records;
// - a whole run in process, all nine methods and the default 13 load steps;
// - the whole largest run of benchmarks/largest-run, and the same pile on half the segments.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/analysis_state.h"
#include "engine/constants.h"
#include "settlement/settlement.h"
#include "vorta/vorta.h"

namespace {

using namespace vorta;

// A 36 in open pipe, 100 ft embedded at 0.2 ft: 501 rows, all printed; ten layers of sand, clay
// and silt; unit friction growing with depth.
std::unique_ptr<AnalysisState> largestLoadSettlementState() {
    auto s = std::make_unique<AnalysisState>();
    InputData& in = s->input;
    in.unitSystem = kEnglish;
    s->unitLabels = {"FT.", "IN.", "KIP", "KSF", "LB/FT^3", "IN2", "PSI"};
    in.outsideDiameter = 36.0;
    in.insideDiameter = 34.5;
    in.elasticModulus = 29.0e6;
    in.pileLength = 100.0;
    in.stickupLength = 5.0;
    in.lengthIncrement = 0.2;
    in.loadTransferMethod = kSelFhwa;
    const double types[10] = {1, 1, 2, 2, 3, 1, 1, 2, 1, 1};
    for (int layer = 0; layer < 10; ++layer) {
        for (int end = 0; end < 2; ++end) {
            SoilPoint& p = in.soilPoints[static_cast<std::size_t>(2 * layer + end + 1)];
            p.depth = 11.0 * (layer + end);
            p.column[kColSoilType] = types[layer];
            p.column[kColFrictionAngle] = types[layer] == 2 ? 0.0 : 30.0 + layer;
            p.column[kColTzParam3] = types[layer] == 2 ? 0.8 : 0.0;
        }
    }
    in.soilPointCount = 20;
    s->rowCount = 501;
    s->printedRowCount = 501;
    s->segmentCount = 500;
    s->depthIncrement = 0.2;
    for (int k = 1; k <= 501; ++k) {
        const auto i = static_cast<std::size_t>(k);
        s->rowPileLength[i] = (k - 1) * 0.2;
        s->rowUnitFriction[i] = 0.01 + 0.002 * (k - 1) * 0.2;
        s->rowTipResistance[i] = 400.0;
    }
    return s;
}

void loadSettlementAlone(benchmark::State& state) {
    auto s = largestLoadSettlementState();
    std::ostringstream report;
    std::ostringstream plot;
    s->report.attach(&report);
    s->plot.attach(&plot);
    for (auto _ : state) {
        report.str("");
        plot.str("");
        runLoadSettlement(*s);
        benchmark::DoNotOptimize(s->stepTopLoad[13]);
    }
}
BENCHMARK(loadSettlementAlone)->Unit(benchmark::kMillisecond);

// The same analysis with the report and the plot-data file detached: the curves and the march
// without the formatting of their records.
void loadSettlementWithoutOutput(benchmark::State& state) {
    auto s = largestLoadSettlementState();
    for (auto _ : state) {
        runLoadSettlement(*s);
        benchmark::DoNotOptimize(s->stepTopLoad[13]);
    }
}
BENCHMARK(loadSettlementWithoutOutput)->Unit(benchmark::kMillisecond);

// The input data file of the whole run: the 500-segment grid (0.2 ft over 100 ft), every row
// printed, all nine methods, the CPT methods on a sounding, FHWA driving the load transfer.
std::string wholeRunInput() {
    std::ostringstream t;
    t << "BENCHMARK - 36 IN OPEN PIPE, 0.2 FT INCREMENT TO 100 FT\nVORTA\nBENCH\n"
      << "1 1 20 0\n"
      << "0 0 36 34.5 29000000 90 5\n"
      << "0 0 0\n"
      << "0 0.2 1 0 1 1 0\n"
      << "1 1 1 1 1 1 1 1 1\n"
      << "100 0\n";
    struct Layer {
        double top, bottom;
        int type;
        double weight, phi, su, sr, n, pi, ysr;
    };
    const Layer layers[10] = {
        {0, 5, 1, 120, 30, 0, 0, 10, 0, 1},       {5, 12, 1, 60, 31, 0, 0, 12, 0, 1},
        {12, 20, 2, 50, 0, 400, 200, 0, 30, 2},   {20, 28, 2, 52, 0, 600, 300, 0, 28, 2},
        {28, 36, 3, 56, 27, 800, 400, 0, 12, 1},  {36, 50, 1, 62, 33, 0, 0, 24, 0, 1},
        {50, 62, 1, 64, 35, 0, 0, 32, 0, 1},      {62, 74, 2, 58, 0, 2000, 1000, 0, 20, 3},
        {74, 88, 1, 66, 37, 0, 0, 45, 0, 1},      {88, 104, 1, 67, 38, 0, 0, 55, 0, 1}};
    for (const Layer& l : layers) {
        for (double depth : {l.top, l.bottom}) {
            t << depth << ' ' << l.type << " 0 " << l.weight << ' ' << l.phi << " 0\n";
            const double col9 = l.type == 1 ? l.n : l.sr;
            const double col10 = l.type == 1 ? 0.0 : l.ysr;
            t << "0 0 " << l.su << ' ' << col9 << ' ' << col10 << ' ' << l.pi << " 0 0 0 1.0 1.0 0 0 0\n";
        }
    }
    t << "0\n0 1.0\n0 0 0\n0 0\n0 0\n0\n0\n0\n";
    return t.str();
}

std::string wholeRunSounding() {
    std::ostringstream t;
    t << "1 101\n";
    for (int k = 0; k <= 100; ++k) t << k << ' ' << 20000 + 3000 * k << '\n';
    return t.str();
}

// Runs the analysis on `files` once per benchmark iteration (console output discarded); the
// status of the last run.
RunStatus timeRuns(benchmark::State& state, const RunFiles& files) {
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.clock = LocalDateTime{2024, 3, 5, 9, 7, 3};
    RunStatus status = kRunCompleted;
    for (auto _ : state) {
        console.str("");
        status = runOnFiles(files, options);
        benchmark::DoNotOptimize(status);
    }
    return status;
}

void wholeRun(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("vorta-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream(dir / "input.dat") << wholeRunInput();
        std::ofstream(dir / "sounding.cpt") << wholeRunSounding();
    }
    RunFiles files;
    files.input = dir / "input.dat";
    files.report = dir / "report.out";
    files.plot = dir / "plot.plt";
    files.cpt = dir / "sounding.cpt";
    files.versionText = "BENCH";
    const RunStatus status = timeRuns(state, files);
    if (status != kRunCompleted) state.SkipWithError("the whole run did not complete");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(wholeRun)->Unit(benchmark::kMillisecond);

// The whole largest run of benchmarks/largest-run as the command-line program makes it: 500
// segments, all nine methods, every one of the 401 rows printed, a 200-point sounding and the
// load-settlement analysis on 401 nodes (about 670 KB of report and plot data); and the same pile
// on half the segments. tools/callgrind-count prints the instruction counts of these runs.
void largestRun(benchmark::State& state, const char* deck) {
    const std::filesystem::path source = std::filesystem::path(VORTA_SOURCE_DIR) / "benchmarks" / "largest-run";
    const auto dir = std::filesystem::temp_directory_path() /
                     ("vorta-largest-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);
    RunFiles files;
    files.input = source / deck;
    files.cpt = source / "sounding.cpt";
    files.report = dir / "report.out";
    files.plot = dir / "plot.plt";
    files.versionText = "BENCH";
    const RunStatus status = timeRuns(state, files);
    if (status != kRunCompleted) state.SkipWithError("the largest run did not complete");
    std::error_code ec;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(files.report, ec) +
                                                  std::filesystem::file_size(files.plot, ec));
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK_CAPTURE(largestRun, segments500, "input.dat")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(largestRun, segments250, "input-half-grid.dat")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
