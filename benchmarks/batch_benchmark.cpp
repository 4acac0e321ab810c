// Throughput of vorta batch on the example analyses, in runs per second (items_per_second):
// - the whole batch of example folders on one thread and on one thread per core;
// - each example alone, as one run with its in-memory result, to show where the time goes.
// The example folders are copied to a temporary folder first, so that the runs write their
// reports there and the source tree stays as it is.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "batch.h"
#include "vorta/vorta.h"

namespace {

namespace fs = std::filesystem;
using namespace vorta;

// A copy of the example case folders (their own files, not the folders inside them), made when
// the program starts and removed when it ends.
class ExampleCopy {
public:
    ExampleCopy() {
        std::error_code ec;
        root_ = fs::temp_directory_path(ec) / ("vorta-batch-benchmark-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(root_, ec);
        for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(VORTA_SOURCE_DIR) / "examples", ec)) {
            if (!entry.is_directory() || !fs::exists(entry.path() / "names.dat")) continue;
            const fs::path target = root_ / entry.path().filename();
            fs::create_directories(target, ec);
            for (const fs::directory_entry& file : fs::directory_iterator(entry.path(), ec)) {
                if (file.is_regular_file()) fs::copy_file(file.path(), target / file.path().filename(), ec);
            }
        }
        const fs::path roots[] = {root_};
        cases_ = cli::findCases(roots);
    }
    ~ExampleCopy() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    ExampleCopy(const ExampleCopy&) = delete;
    ExampleCopy& operator=(const ExampleCopy&) = delete;

    const std::vector<cli::BatchCase>& cases() const { return cases_; }

private:
    fs::path root_;
    std::vector<cli::BatchCase> cases_;
};

const ExampleCopy& examples() {
    static const ExampleCopy copy;  // benchmark fixture: made once, read by every benchmark
    return copy;
}

void BM_BatchOfExamples(benchmark::State& state) {
    const std::vector<cli::BatchCase>& cases = examples().cases();
    cli::BatchOptions options;
    options.jobs = static_cast<unsigned>(state.range(0));
    options.clock = LocalDateTime{2024, 3, 5, 9, 7, 3};
    for (auto _ : state) {
        cli::BatchRun run = cli::runBatch(cases, options);
        benchmark::DoNotOptimize(run.completed);
        if (run.completed + run.stoppedOnInput != static_cast<int>(cases.size())) {
            state.SkipWithError("a case of the batch could not use a file");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(cases.size()));
    state.counters["threads"] = static_cast<double>(options.jobs);
}
BENCHMARK(BM_BatchOfExamples)
    ->Arg(1)
    ->Arg(std::max(1u, std::thread::hardware_concurrency()))
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_ExampleRun(benchmark::State& state) {
    const std::vector<cli::BatchCase>& cases = examples().cases();
    const auto index = static_cast<std::size_t>(state.range(0));
    if (index >= cases.size()) {
        state.SkipWithError("no such example");
        return;
    }
    state.SetLabel(fs::path(cases[index].name).filename().string());
    for (auto _ : state) {
        std::ostringstream console;
        std::istringstream noAnswers;
        AnalysisResult result;
        RunOptions options;
        options.console = &console;
        options.consoleInput = &noAnswers;
        options.clock = LocalDateTime{2024, 3, 5, 9, 7, 3};
        options.result = &result;
        benchmark::DoNotOptimize(runInDirectory(cases[index].folder, options));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExampleRun)->DenseRange(0, 14)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
