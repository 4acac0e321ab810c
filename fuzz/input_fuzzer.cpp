// libFuzzer target: the input data file and CPT file readers, and a whole run on the fuzzed files.
//
// The fuzz input is an input data file and a CPT file separated by the first NUL byte (no NUL:
// the whole input is the input data file and the CPT file is empty). Both readers run on the
// texts in memory; then the engine runs end to end through runOnFiles on the two texts written
// to a folder of its own, with the report and the plot-data file beside them.
//
// What must hold for any input: no crash, no sanitizer report, no hang (libFuzzer's -timeout),
// a status of 0, 1 or 2, a message for every run that did not complete, and only finite numbers
// in the tables, curves and load steps of a run that completed (a NaN capacity is a wrong result
// reported as a success).
#include <unistd.h>

#include <algorithm>
#include <cmath>
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

// The engine has no range checks on magnitudes: a unit weight of 1E+305 overflows to infinity
// and NaN in its stresses. Decks with a value beyond 1E+9 in absolute size (the modulus of steel in
// kPa is 2.1E+8) are held to every rule but the finite numbers.
bool beyondEngineeringMagnitudes(const vorta::InputData& d) {
    constexpr double kLargest = 1.0e9;
    auto beyond = [](double v) { return !(std::fabs(v) <= kLargest); };
    for (double v : {d.perimeter, d.tipArea, d.outsideDiameter, d.insideDiameter, d.elasticModulus, d.pileLength,
                     d.stickupLength, d.enhancedEndLength, d.enhancedEndInsideDiameter, d.batterAngle,
                     d.zeroFrictionLength, d.lengthIncrement, d.taperAngle, d.deepestSoilDepth, d.crossSectionArea,
                     d.tensionReductionFactor, d.criticalDepth, d.tipCurveLoadFactor, d.tipCurveMovementFactor}) {
        if (beyond(v)) return true;
    }
    const auto count = [](int n, std::size_t capacity) { return std::clamp(n, 0, static_cast<int>(capacity)); };
    for (int k = 1; k <= count(d.soilPointCount, vorta::kMaxSoilPoints); ++k) {
        if (beyond(d.soilPoints[k].depth)) return true;
        for (int col = 1; col <= 19; ++col) {
            if (beyond(d.soilPoints[k].column[col])) return true;
        }
    }
    for (int i = 1; i <= count(d.tzOutputDepthCount, vorta::kMaxVerificationDepths); ++i) {
        if (beyond(d.tzOutputDepths[i])) return true;
    }
    for (int i = 1; i <= count(d.areaRowCount, vorta::kMaxAreaRows); ++i) {
        if (beyond(d.areaTable[i].distance) || beyond(d.areaTable[i].area)) return true;
    }
    for (int i = 1; i <= count(d.tzModifierCount, vorta::kMaxModifierRows); ++i) {
        const vorta::TzModifierRow& row = d.tzModifierTable[i];
        if (beyond(row.depth) || beyond(row.loadFactor) || beyond(row.movementFactor)) return true;
    }
    for (int i = 1; i <= count(d.tipMovementCount, vorta::kMaxTipMovements); ++i) {
        if (beyond(d.tipMovements[i])) return true;
    }
    const vorta::CptSounding& cpt = d.cptSounding;
    for (int i = 1; i <= count(cpt.cptPointCount, vorta::kMaxCptPoints); ++i) {
        if (beyond(cpt.cptDepth[i]) || beyond(cpt.cptQc[i])) return true;
    }
    return false;
}

// The readers alone, on the texts in memory, into a fresh state. Returns whether the deck is one
// of those above that are not held to the finite-number rule.
bool readInMemory(std::string_view inputText, std::string_view cptText) {
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
    return beyondEngineeringMagnitudes(state->input);
}

void runWholeEngine(std::string_view inputText, std::string_view cptText, bool notHeldToFiniteNumbers) {
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
    std::istringstream noAnswers;
    vorta::AnalysisResult result;
    vorta::RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = vorta::LocalDateTime{2024, 3, 5, 9, 7, 3};
    options.result = &result;
    const vorta::RunStatus status = vorta::runOnFiles(files, options);

    if (status != vorta::kRunCompleted && status != vorta::kRunStoppedOnInput && status != vorta::kRunFileError) {
        fail("status " + std::to_string(status));
    }
    if (result.status != status) fail("the in-memory result holds another status");
    if (status != vorta::kRunCompleted && result.messages.empty()) {
        fail("status " + std::to_string(status) + " without a message; console:\n" + console.str());
    }
    if (status == vorta::kRunCompleted && !notHeldToFiniteNumbers) {
        const std::string where = vorta::checks::firstNonFinite(result);
        if (!where.empty()) fail("a completed run with a number that is not finite: " + where);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t split = all.find('\0');
    const std::string_view inputText = all.substr(0, split);
    const std::string_view cptText = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);
    const bool notHeldToFiniteNumbers = readInMemory(inputText, cptText);
    runWholeEngine(inputText, cptText, notHeldToFiniteNumbers);
    return 0;
}
