// Mutation runs: the example analyses run again and again with a number swapped for an extreme
// (0, -0, +-1E+308, 1E-308, 9999999, the largest int, 89.9999, 501, 1001), a file cut short or a
// byte flipped, as a user slipping on the keyboard would. An example that states its sounding as
// a GEF, AGS4 or CSV file too is also run with that file mutated, read by its reader. Each run goes through the engine in a
// child process of its own, so that a crash is seen as a signal and a hang as a timeout.
//
// What must hold for every run: no signal, no hang, a status of 0, 1 or 2, a message when the run
// did not complete, no number that is not finite (NaN, Infinity) in a completed run's in-memory
// result nor in the report and plot-data file of a run that completed or stopped on its input, and
// no stop by the engine's last guard on such numbers (the range checks must stop a value that leads
// to them first).
//
//   vorta_mutation_runs [--runs N] [--seed S] [--jobs J] [--examples DIR] [--failures DIR]
//                       [--timeout SECONDS]
//
// The runs are a function of the seed: run i always makes the same mutation. Failing inputs are
// written to the failures folder (one folder per run, with what was changed). Exit status 0 when
// every run held, 1 when one did not, 64 for a usage error.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "finite_result.h"
#include "vorta/analysis.h"
#include "vorta/cpt_files.h"
#include "vorta/vorta.h"

namespace {

namespace fs = std::filesystem;

struct Case {
    std::string name;
    std::string input;  // the input data file's text
    std::string cpt;    // the CPT file's text
    std::string cptName = "sounding.cpt";  // a GEF, AGS4 or CSV file of the example's sounding: read by its reader
};

struct Mutation {
    std::string input;
    std::string cpt;
    std::string what;  // for the failure report
    std::string cptName;
};

// Exit codes of a child: what went wrong in its run.
enum Verdict : int {
    kHeld = 0,
    kBadStatus = 10,
    kResultStatusDiffers = 11,
    kNoMessage = 12,
    kNonFiniteResult = 13,
    kNonFiniteText = 14,
    kCannotWrite = 15,
    kStoppedByGuard = 16,
};

constexpr std::array<std::string_view, 10> kExtremes = {"0",       "-0",         "1E+308",  "-1E+308", "1E-308",
                                                        "9999999", "2147483647", "89.9999", "501",     "1001"};

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeText(const fs::path& file, std::string_view text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

// Line n (1-based) of a text, without its line end and trailing blanks.
std::string lineOf(const std::string& text, int n) {
    std::istringstream in(text);
    std::string line;
    for (int i = 1; i <= n; ++i) {
        if (!std::getline(in, line)) return "";
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    return line;
}

// Every example folder with a names.dat, its input data file and CPT file read into memory.
std::vector<Case> loadCases(const fs::path& examples) {
    std::vector<Case> cases;
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (entry.is_directory() && fs::exists(entry.path() / "names.dat")) folders.push_back(entry.path());
    }
    std::sort(folders.begin(), folders.end());
    for (const fs::path& folder : folders) {
        const std::string names = readText(folder / "names.dat");
        const std::string input = lineOf(names, 5);
        const std::string cpt = lineOf(names, 8);
        if (input.empty()) continue;
        cases.push_back({folder.filename().string(), readText(folder / input),
                         cpt.empty() ? std::string() : readText(folder / cpt)});
        // The sounding as another program's file, where the example states it so too.
        for (const char* other : {"sounding.gef", "sounding.ags", "sounding.csv"}) {
            if (fs::exists(folder / other)) {
                cases.push_back({folder.filename().string() + "/" + other, readText(folder / input), readText(folder / other), other});
            }
        }
    }
    return cases;
}

// Offsets and lengths of the numbers of a file, after its first `skipLines` lines (the title lines
// of an input data file).
std::vector<std::pair<std::size_t, std::size_t>> numberTokens(const std::string& text, int skipLines) {
    std::vector<std::pair<std::size_t, std::size_t>> tokens;
    std::size_t at = 0;
    for (int line = 0; line < skipLines && at < text.size(); ++line) {
        const std::size_t end = text.find('\n', at);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n' || c == '/'; };
    while (at < text.size()) {
        while (at < text.size() && separator(text[at])) ++at;
        const std::size_t start = at;
        while (at < text.size() && !separator(text[at])) ++at;
        if (at > start) {
            const char first = text[start];
            if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.') {
                tokens.emplace_back(start, at - start);
            }
        }
    }
    return tokens;
}

using Rng = std::mt19937_64;

std::size_t pick(Rng& rng, std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(rng); }

// Swaps `count` numbers of a text (at distinct places, from the last so offsets hold) for extremes.
std::string swapNumbers(Rng& rng, const std::string& text, int skipLines, int count, std::string& what) {
    auto tokens = numberTokens(text, skipLines);
    if (tokens.empty()) return text;
    std::vector<std::size_t> chosen;
    for (int i = 0; i < count; ++i) chosen.push_back(pick(rng, tokens.size()));
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    std::string out = text;
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) {
        const auto [offset, length] = tokens[*it];
        const std::string_view extreme = kExtremes[pick(rng, kExtremes.size())];
        what += " number " + std::to_string(*it + 1) + " (" + text.substr(offset, length) + ") -> " +
                std::string(extreme) + ";";
        out.replace(offset, length, extreme);
    }
    return out;
}

std::string cutShort(Rng& rng, const std::string& text, std::string& what) {
    if (text.empty()) return text;
    const std::size_t at = pick(rng, text.size());
    what += " cut at byte " + std::to_string(at) + ";";
    return text.substr(0, at);
}

std::string flipBytes(Rng& rng, const std::string& text, std::string& what) {
    if (text.empty()) return text;
    std::string out = text;
    const int flips = 1 + static_cast<int>(pick(rng, 3));
    for (int i = 0; i < flips; ++i) {
        const std::size_t at = pick(rng, out.size());
        // Half the flips a single bit, half a printable character of the kind a slip writes.
        if (pick(rng, 2) == 0) {
            out[at] = static_cast<char>(out[at] ^ (1 << pick(rng, 8)));
        } else {
            static constexpr std::string_view kTyped = "0123456789.-+eEdD, \n/*";
            out[at] = kTyped[pick(rng, kTyped.size())];
        }
        what += " byte " + std::to_string(at) + " changed;";
    }
    return out;
}

// The mutation of run `index`: mostly numbers swapped, sometimes a file cut or bytes flipped.
Mutation mutate(const std::vector<Case>& cases, std::uint64_t seed, std::uint64_t index) {
    std::seed_seq seq{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                      static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(index >> 32)};
    Rng rng(seq);
    const Case& c = cases[pick(rng, cases.size())];
    Mutation m{c.input, c.cpt, c.name + ":", c.cptName};
    const std::size_t kind = pick(rng, 20);
    if (kind < 8) {
        m.what += " input";
        m.input = swapNumbers(rng, c.input, 3, 1, m.what);
    } else if (kind < 12) {
        m.what += " input";
        m.input = swapNumbers(rng, c.input, 3, 2, m.what);
    } else if (kind < 14) {
        m.what += " cpt";
        m.cpt = swapNumbers(rng, c.cpt, 0, 1 + static_cast<int>(pick(rng, 2)), m.what);
    } else if (kind < 16) {
        if (pick(rng, 2) == 0) {
            m.what += " input";
            m.input = cutShort(rng, c.input, m.what);
        } else {
            m.what += " cpt";
            m.cpt = cutShort(rng, c.cpt, m.what);
        }
    } else {
        if (pick(rng, 3) != 0) {
            m.what += " input";
            m.input = flipBytes(rng, c.input, m.what);
        } else {
            m.what += " cpt";
            m.cpt = flipBytes(rng, c.cpt, m.what);
        }
    }
    return m;
}

// A word of a report or plot-data file that is a number the formatter could not write as one.
bool hasNonFiniteWord(const std::string& text) {
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.erase(0, 1);
        if (word == "NaN" || word == "Inf" || word == "Infinity") return true;
    }
    return false;
}

// The run of one mutated analysis, in the child; returns its verdict, with the detail written to
// verdict.txt in the folder.
// A run whose sounding is another program's file: the input data file read, the sounding read by
// its reader in the analysis's units, the analysis run in memory; a file that cannot be used is a
// run with status 2 and the reader's message, as a run on files reports it.
vorta::RunStatus runWithSoundingFile(const vorta::RunFiles& files, vorta::AnalysisResult& result,
                                     std::ostringstream& console) {
    vorta::Analysis analysis;
    try {
        analysis = vorta::readInputDeck(files.input, fs::path());
        vorta::SoundingFile sounding;
        sounding.name = files.cpt.filename().string();
        sounding.path = files.cpt;
        analysis.cpt = vorta::readSoundingFile(sounding, analysis.units);
    } catch (const vorta::InputError& e) {
        result.status = vorta::kRunFileError;
        result.messages = {e.what()};
        vorta::Problem unreadable;
        unreadable.severity = vorta::Severity::FileError;
        unreadable.code = "file_error";
        unreadable.message = e.what();
        result.problems = {unreadable};
        return vorta::kRunFileError;
    }
    std::istringstream noAnswers;
    vorta::RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = vorta::LocalDateTime{2024, 3, 5, 9, 7, 3};
    options.result = &result;
    options.report = files.report;
    options.plot = files.plot;
    options.sourceName = files.input.string();
    return vorta::runAnalysis(analysis, options);
}

int runChild(const fs::path& folder, const std::string& cptName, unsigned timeoutSeconds) {
    alarm(timeoutSeconds);
    vorta::RunFiles files;
    files.input = folder / "input.dat";
    files.cpt = folder / cptName;
    files.report = folder / "report.out";
    files.plot = folder / "plot.plt";
    files.versionText = "MUTATION";
    std::ostringstream console;
    vorta::AnalysisResult result;
    const vorta::RunStatus status = cptName == "sounding.cpt" ? vorta::checks::runForCheck(files, result, console)
                                                              : runWithSoundingFile(files, result, console);

    auto verdict = [&](int code, const std::string& detail) {
        writeText(folder / "verdict.txt", "status " + std::to_string(status) + ": " + detail + "\n");
        return code;
    };
    using vorta::checks::Rule;
    const vorta::checks::Broken broken = vorta::checks::firstBrokenRule(status, result);
    switch (broken.rule) {
        case Rule::Held: break;
        case Rule::StatusOutOfRange: return verdict(kBadStatus, broken.detail);
        case Rule::ResultStatusDiffers: return verdict(kResultStatusDiffers, broken.detail);
        case Rule::NoMessage: return verdict(kNoMessage, broken.detail);
        case Rule::NonFiniteNumber: return verdict(kNonFiniteResult, broken.detail);
        case Rule::StoppedByGuard: return verdict(kStoppedByGuard, broken.detail);
    }
    // (A file error's message may quote what the file holds.)
    if (status != vorta::kRunFileError &&
        (hasNonFiniteWord(readText(files.report)) || hasNonFiniteWord(readText(files.plot))))
        return verdict(kNonFiniteText, "NaN or Infinity printed in the report or the plot-data file");
    return verdict(kHeld, std::to_string(status));
}

[[noreturn]] void usage(const std::string& problem) {
    std::fprintf(stderr,
                 "vorta_mutation_runs: %s\nusage: vorta_mutation_runs [--runs N] [--seed S] [--jobs J] "
                 "[--examples DIR] [--failures DIR] [--timeout SECONDS]\n",
                 problem.c_str());
    std::exit(64);
}

std::uint64_t number(const std::string& option, const char* text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0') usage(option + " takes a whole number, not '" + text + "'");
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t runs = 2000;
    std::uint64_t seed = 1;
    std::uint64_t jobs = 2;
    unsigned timeout = 20;
    fs::path examples = "examples";
    fs::path failures = "mutation-failures";
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) usage(option + " needs a value");
        const char* value = argv[++i];
        if (option == "--runs") runs = number(option, value);
        else if (option == "--seed") seed = number(option, value);
        else if (option == "--jobs") jobs = std::max<std::uint64_t>(1, number(option, value));
        else if (option == "--timeout") timeout = static_cast<unsigned>(std::max<std::uint64_t>(1, number(option, value)));
        else if (option == "--examples") examples = value;
        else if (option == "--failures") failures = value;
        else usage("unknown option " + option);
    }
    std::error_code ec;
    if (!fs::is_directory(examples, ec)) usage("no examples folder at " + examples.string());
    const std::vector<Case> cases = loadCases(examples);
    if (cases.empty()) usage("no example with a names.dat under " + examples.string());

    std::string base = (fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string());
    base += "/vorta-mutation-XXXXXX";
    if (mkdtemp(base.data()) == nullptr) usage("cannot create a folder for the runs");
    const fs::path work(base);

    std::map<pid_t, std::pair<std::uint64_t, std::uint64_t>> running;  // pid -> run, slot
    std::vector<std::uint64_t> freeSlots;
    for (std::uint64_t j = jobs; j-- > 0;) freeSlots.push_back(j);
    std::uint64_t next = 0;
    std::uint64_t failed = 0;
    std::array<std::uint64_t, 3> statusCount{};

    auto slotFolder = [&](std::uint64_t slot) { return work / ("slot-" + std::to_string(slot)); };
    auto report = [&](std::uint64_t run, const std::string& problem) {
        ++failed;
        const Mutation m = mutate(cases, seed, run);
        const fs::path keep = failures / ("run-" + std::to_string(run));
        fs::create_directories(keep, ec);
        writeText(keep / "input.dat", m.input);
        writeText(keep / m.cptName, m.cpt);
        std::string trimmed = problem;
        while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
        writeText(keep / "what.txt", m.what + "\n" + trimmed + "\n");
        std::printf("FAIL run %llu:%s %s\n", static_cast<unsigned long long>(run), m.what.c_str(), trimmed.c_str());
    };

    while (next < runs || !running.empty()) {
        while (next < runs && !freeSlots.empty()) {
            const std::uint64_t slot = freeSlots.back();
            freeSlots.pop_back();
            const fs::path folder = slotFolder(slot);
            fs::remove_all(folder, ec);
            fs::create_directories(folder, ec);
            const Mutation m = mutate(cases, seed, next);
            if (!writeText(folder / "input.dat", m.input) || !writeText(folder / m.cptName, m.cpt)) {
                usage("cannot write the runs' files under " + work.string());
            }
            std::fflush(stdout);
            const pid_t pid = fork();
            if (pid < 0) usage("cannot start a run");
            if (pid == 0) _exit(runChild(folder, m.cptName, timeout));
            running[pid] = {next, slot};
            ++next;
        }
        int wstatus = 0;
        const pid_t done = waitpid(-1, &wstatus, 0);
        if (done < 0) break;
        const auto it = running.find(done);
        if (it == running.end()) continue;
        const auto [run, slot] = it->second;
        running.erase(it);
        const fs::path folder = slotFolder(slot);
        if (WIFSIGNALED(wstatus)) {
            const int sig = WTERMSIG(wstatus);
            report(run, sig == SIGALRM ? "did not finish within " + std::to_string(timeout) + " s"
                                       : "ended by signal " + std::to_string(sig));
        } else if (WEXITSTATUS(wstatus) != kHeld) {
            report(run, readText(folder / "verdict.txt"));
        } else {
            const std::string verdict = readText(folder / "verdict.txt");
            const int status = verdict.size() > 7 ? verdict[7] - '0' : -1;
            if (status >= 0 && status <= 2) ++statusCount[static_cast<std::size_t>(status)];
        }
        freeSlots.push_back(slot);
    }
    fs::remove_all(work, ec);
    std::printf("mutation runs: %llu runs (seed %llu) on %zu examples: %llu completed, %llu stopped on input, "
                "%llu file errors; %llu failed\n",
                static_cast<unsigned long long>(runs), static_cast<unsigned long long>(seed), cases.size(),
                static_cast<unsigned long long>(statusCount[0]), static_cast<unsigned long long>(statusCount[1]),
                static_cast<unsigned long long>(statusCount[2]), static_cast<unsigned long long>(failed));
    return failed == 0 ? 0 : 1;
}
