// libFuzzer target: the input data file and CPT file readers, and a whole run on the fuzzed files.
//
// The fuzz input is an input data file and a CPT file separated by the first NUL byte (no NUL:
// the whole input is the input data file and the CPT file is empty). Both readers run on the
// texts in memory; then the engine runs end to end through runOnFiles on the two texts written
// to a folder of its own, with the report and the plot-data file beside them.
//
// What must hold for any input, whatever the size of its numbers: no crash, no sanitizer report, no
// hang (libFuzzer's -timeout), a status of 0, 1 or 2, a message for every run that did not
// complete, only finite numbers in the tables, curves and load steps of a run that completed (a
// NaN capacity is a wrong result reported as a success), and no run that the engine's last guard
// on such numbers had to stop (the range checks stop the values that lead to them first).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "engine/analysis_state.h"
#include "finite_result.h"
#include "input/free_format_reader.h"
#include "input/input.h"
#include "vorta/vorta.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "vorta_fuzz_input: %s\n", what.c_str());
    std::abort();
}

// The folder of this fuzzing process, made once: tmpfs when there is one.
const fs::path& runFolder() {
    static const fs::path folder = [] {
        const char* base = std::getenv("VORTA_FUZZ_TMP");
        std::string pattern = base != nullptr ? base : (fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
        pattern += "/vorta-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) fail("cannot create a folder for the runs");
        return fs::path(pattern);
    }();
    [[maybe_unused]] static const bool removedAtExit = [] {
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(folder, ec);
        });
        return true;
    }();
    return folder;
}

void writeText(const fs::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) fail("cannot write " + file.string());
}

// The readers alone, on the texts in memory, into a fresh state.
void readInMemory(std::string_view inputText, std::string_view cptText) {
    auto state = std::make_unique<vorta::AnalysisState>();
    state->input.lightSoilDepth = 99999.0;
    state->input.tensionReductionFactor = 1.0;
    try {
        std::istringstream input{std::string(inputText)};
        vorta::FreeFormatReader in(input, "fuzz.dat");
        vorta::readInputData(*state, in);
    } catch (const vorta::InputError&) {
    }
    try {
        std::istringstream cpt{std::string(cptText)};
        vorta::FreeFormatReader in(cpt, "fuzz.cpt");
        vorta::readCptFile(*state, in);
    } catch (const vorta::InputError&) {
    }
}

void runWholeEngine(std::string_view inputText, std::string_view cptText) {
    const fs::path& folder = runFolder();
    vorta::RunFiles files;
    files.input = folder / "fuzz.dat";
    files.cpt = folder / "fuzz.cpt";
    files.report = folder / "fuzz.out";
    files.plot = folder / "fuzz.plt";
    files.versionText = "FUZZ";
    writeText(files.input, inputText);
    writeText(files.cpt, cptText);

    std::ostringstream console;
    vorta::AnalysisResult result;
    const vorta::RunStatus status = vorta::checks::runForCheck(files, result, console);
    const vorta::checks::Broken broken = vorta::checks::firstBrokenRule(status, result);
    if (broken.rule != vorta::checks::Rule::Held) {
        fail("status " + std::to_string(status) + ": " + broken.detail + "; console:\n" + console.str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t split = all.find('\0');
    const std::string_view inputText = all.substr(0, split);
    const std::string_view cptText = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
    readInMemory(inputText, cptText);
    runWholeEngine(inputText, cptText);
    return 0;
}
