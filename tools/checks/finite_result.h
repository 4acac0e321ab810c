// The first number of a completed run's in-memory result that is not finite: the capacity tables,
// the t-z and tip curves, the load steps with their load distribution and the verification curves;
// and whether a run was stopped by the engine's last guard instead. Shared by the fuzz target and
// the mutation runs, which both hold completed runs to finite numbers and the range checks to
// catching the causes before the guard has to.
#pragma once

#include <cmath>
#include <sstream>
#include <string>
#include <string_view>

#include "vorta/result.h"
#include "vorta/vorta.h"

namespace vorta::checks {

inline bool finiteCurve(const TransferCurve& curve) {
    for (const CurvePoint& p : curve.points) {
        if (!std::isfinite(p.load) || !std::isfinite(p.movement)) return false;
    }
    return std::isfinite(curve.depth);
}

// Where the first number that is not finite sits, or an empty text when every number is finite.
inline std::string firstNonFinite(const AnalysisResult& result) {
    for (const MethodTable& t : result.tables) {
        for (const CapacityRow& r : t.rows) {
            if (!std::isfinite(r.pileLength) || !std::isfinite(r.depth) || !std::isfinite(r.skinFriction) ||
                !std::isfinite(r.tipResistance) || !std::isfinite(r.ultimateCapacity) ||
                !std::isfinite(r.unitFriction) || !std::isfinite(r.plugLength))
                return t.title + " at " + std::to_string(r.pileLength);
        }
    }
    for (const TransferCurve& c : result.layerCurves) {
        if (!finiteCurve(c)) return "t-z curve " + std::to_string(c.number);
    }
    for (const CurvePoint& p : result.tipCurve) {
        if (!std::isfinite(p.load) || !std::isfinite(p.movement)) return "the tip curve";
    }
    for (const LoadStep& step : result.loadSteps) {
        if (!std::isfinite(step.topLoad) || !std::isfinite(step.topMovement) || !std::isfinite(step.tipLoad) ||
            !std::isfinite(step.tipMovement))
            return "a load step";
        for (const SegmentLoad& seg : step.distribution) {
            if (!std::isfinite(seg.axialLoad) || !std::isfinite(seg.movement) ||
                !std::isfinite(seg.distanceFromHead))
                return "a load distribution";
        }
    }
    for (const TransferCurve& c : result.verificationCurves) {
        if (!finiteCurve(c)) return "verification curve " + std::to_string(c.number);
    }
    return "";
}

// The engine's last guard stopped the run: a number that is not finite would have been printed.
// Such a stop is a value that the range checks should have stopped first.
inline bool stoppedByFiniteGuard(const AnalysisResult& result) {
    for (const Problem& p : result.problems) {
        if (p.code == "not_finite") return true;
    }
    return false;
}

// One run of the engine as a check makes it: the console kept in `console`, no answers to the
// file-name prompts, the fixed clock, the results in memory.
inline RunStatus runForCheck(const RunFiles& files, AnalysisResult& result, std::ostringstream& console) {
    std::istringstream noAnswers;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = LocalDateTime{2024, 3, 5, 9, 7, 3};
    options.result = &result;
    return runOnFiles(files, options);
}

// The rules every run must hold, in the order they are checked.
enum class Rule { Held, StatusOutOfRange, ResultStatusDiffers, NoMessage, NonFiniteNumber, StoppedByGuard };

struct Broken {
    Rule rule = Rule::Held;
    std::string detail;
};

// The first rule a run broke: a status of 0, 1 or 2, held by its result too; a message when it did
// not complete; only finite numbers when it did; and no stop by the last guard (the range checks
// must stop the causes first).
inline Broken firstBrokenRule(RunStatus status, const AnalysisResult& result) {
    if (status != kRunCompleted && status != kRunStoppedOnInput && status != kRunFileError)
        return {Rule::StatusOutOfRange, "a status other than 0, 1 or 2"};
    if (result.status != status) return {Rule::ResultStatusDiffers, "the in-memory result holds another status"};
    if (status != kRunCompleted && statusOf(result.problems) != status)
        return {Rule::NoMessage, "a run that did not complete, without the problem that ended it"};
    if (status == kRunCompleted) {
        const std::string where = firstNonFinite(result);
        if (!where.empty()) return {Rule::NonFiniteNumber, "a number that is not finite in " + where};
    }
    if (stoppedByFiniteGuard(result))
        return {Rule::StoppedByGuard, "stopped by the last guard on numbers that are not finite: " + result.problems.back().message};
    return {};
}

}  // namespace vorta::checks
