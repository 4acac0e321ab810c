#include "support/test_support.h"

#include <sys/wait.h>

#include <atomic>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vorta::test {

TempDir::TempDir(std::string_view name) {
    static std::atomic<unsigned> counter{0};  // test-only: unique folder names within a process
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string leaf = "vorta-" + std::string(name) + "-" + std::to_string(stamp) + "-" +
                             std::to_string(counter++) + "-" +
                             std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()) % 100000);
    path_ = std::filesystem::temp_directory_path() / leaf;
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::filesystem::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + file.string());
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::unique_ptr<AnalysisState> newState() {
    auto s = std::make_unique<AnalysisState>();
    s->input.lightSoilDepth = 99999.0;
    s->input.tensionReductionFactor = 1.0;
    return s;
}

RunResult runOnTexts(std::string_view inputText, std::string_view cptText) {
    TempDir dir("run");
    writeFile(dir / "case.dat", inputText);
    writeFile(dir / "case.cpt", cptText);
    std::ostringstream console;
    std::istringstream noAnswers;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = kFixedClock;
    RunResult result;
    options.result = &result.result;
    RunFiles files;
    files.input = dir / "case.dat";
    files.report = dir / "case.out";
    files.plot = dir / "case.plt";
    files.cpt = dir / "case.cpt";
    files.versionText = "TEST";
    result.status = runOnFiles(files, options);
    result.console = console.str();
    if (std::filesystem::exists(files.report)) result.report = readFile(files.report);
    if (std::filesystem::exists(files.plot)) result.plot = readFile(files.plot);
    return result;
}

std::string maskRunSpecificLines(std::string_view report) {
    std::string out;
    for (const std::string& line : splitLines(report)) {
        if (line.rfind("     Path to file locations      : ", 0) == 0) {
            out += "     Path to file locations      : <masked>\n";
        } else if (line.rfind("               Date:  ", 0) == 0) {
            out += "               Date:  <masked>\n";
        } else {
            out += line + "\n";
        }
    }
    return out;
}

std::filesystem::path sourcePath(const std::string& relative) { return std::filesystem::path(VORTA_SOURCE_DIR) / relative; }

std::string reportAfterHeader(const std::string& report) {
    const std::size_t date = report.find("               Date:");
    if (date == std::string::npos) return report;
    const std::size_t end = report.find('\n', date);
    return end == std::string::npos ? report : report.substr(end + 1);
}

ModelRun runModel(const Analysis& analysis, const std::string& sourceName, ValueSource kind, const SourceLines* lines) {
    std::ostringstream console;
    ModelRun out;
    RunOptions options;
    options.console = &console;
    options.clock = kFixedClock;
    options.result = &out.result;
    options.versionText = "T";
    options.sourceName = sourceName;
    options.sourceKind = kind;
    options.sourceLines = lines;
    out.status = runAnalysis(analysis, options);
    const std::string& text = out.result.reportText;
    out.report = reportAfterHeader(text);
    out.header = text.substr(0, text.size() - out.report.size());
    out.plot = out.result.plotText;
    return out;
}

CliRun runCli(const std::string& arguments, const std::filesystem::path& folder) {
    const std::string command = "cd '" + folder.string() + "' && '" + VORTA_CLI + "' " + arguments + " 2>&1 </dev/null";
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool cliBuilt() { return !std::string(VORTA_CLI).empty(); }

bool fortranFound() { return !std::string(VORTA_GFORTRAN).empty(); }

std::vector<std::string> fortranOutput(const TempDir& dir, const std::string& program) {
    writeFile(dir / "p.f90", program);
    const std::string build = "cd '" + dir.path().string() + "' && '" + VORTA_GFORTRAN + "' -o p p.f90 && ./p";
    if (std::system(build.c_str()) != 0) {
        ADD_FAILURE() << "the Fortran reference program did not run";
        return {};
    }
    return splitLines(readFile(dir / "out.txt"));
}

Analysis readDeckTexts(const std::string& deck, const std::string& cpt) {
    std::istringstream d(deck);
    std::istringstream c(cpt);
    return readInputDeck(d, "case.dat", c, "case.cpt");
}

std::vector<std::string> exampleNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(sourcePath("examples"))) {
        if (std::filesystem::exists(entry.path() / "names.dat")) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

::testing::AssertionResult matchesGolden(std::string_view actual, const std::string& goldenPath) {
    const std::filesystem::path file = sourcePath(goldenPath);
    const char* update = std::getenv("VORTA_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::filesystem::create_directories(file.parent_path());
        writeFile(file, actual);
        return ::testing::AssertionSuccess() << "golden file written: " << file.string();
    }
    if (!std::filesystem::exists(file)) return ::testing::AssertionFailure() << "no golden file " << file.string();
    const std::vector<std::string> want = splitLines(readFile(file));
    const std::vector<std::string> got = splitLines(actual);
    const std::size_t n = std::max(want.size(), got.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string w = i < want.size() ? want[i] : "<no line>";
        const std::string g = i < got.size() ? got[i] : "<no line>";
        if (w != g) {
            return ::testing::AssertionFailure() << goldenPath << ", line " << (i + 1) << ":\n  expected: [" << w
                                                 << "]\n  actual:   [" << g << "]";
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace vorta::test
