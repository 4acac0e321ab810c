// The design answers: for every method with a table and every design load, the least embedded
// length whose capacity, divided by the factor of safety, carries the load. The capacity at a row
// is that of a pile driven to the row's penetration: the table's row for the methods whose rows
// are such piles, the rows as driven for the CPT-based methods, and a pile of that length computed
// on its own for FHWA (its Nordlund end bearing takes the pile's length over its diameter and its
// Tomlinson adhesion the pile's penetration into the clay) and for the end bearing of a tapered
// pile (its tip diameter follows its length). Between two rows the length is linear in capacity.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/constants.h"
#include "report/report.h"
#include "vorta/problems.h"

namespace vorta {
namespace {

std::string lengthText(double length, int unitSystem) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f %s", length, unitSystem == kSi ? "m" : "ft");
    return text;
}

// Whether a method's table rows are not piles driven to each penetration, so that its design
// capacities need piles of their own.
bool rowsNeedPilesOfTheirOwn(const InputData& in, int selection) {
    if (selection >= kSelNgi) return false;  // the rows as driven
    if (selection == kSelFhwa) return true;
    // The end bearing of a tapered pile is that of the final tip's diameter.
    return in.taperAngle > 0.0 && in.loadingType != 1;
}

// Whether the layers carry LRFD resistance factors, so that the capacity is a factored one.
bool layersCarryResistanceFactors(const Analysis& a) {
    return std::any_of(a.soilProfile.begin(), a.soilProfile.end(), [](const ProfilePoint& p) {
        return p.lrfdFrictionFactor != 1.0 || p.lrfdBearingFactor != 1.0;
    });
}

using Capacities = std::vector<double>;

}  // namespace

DesignAnswer designAnswerFor(const std::vector<double>& capacity, double lengthIncrement, double load, double factor,
                             int unitSystem) {
    DesignAnswer answer;
    answer.load = load;
    answer.factorOfSafety = factor;
    const int rows = static_cast<int>(capacity.size()) - 1;
    auto lengthOf = [&](int k) { return (k - 1) * lengthIncrement; };
    auto carries = [&](int k) { return capacity[static_cast<std::size_t>(k)] / factor >= load; };

    int first = 0;
    for (int k = 1; k <= rows && first == 0; ++k) {
        if (carries(k)) first = k;
    }
    if (first == 0) {
        // Not reached: the largest capacity within the pile, at the shallowest length that has it.
        int best = 1;
        for (int k = 2; k <= rows; ++k) {
            if (capacity[static_cast<std::size_t>(k)] > capacity[static_cast<std::size_t>(best)]) best = k;
        }
        answer.capacity = rows >= 1 ? capacity[static_cast<std::size_t>(best)] : 0.0;
        answer.capacityLength = rows >= 1 ? lengthOf(best) : 0.0;
        return answer;
    }
    // Linear between the row before, which does not carry the load, and the first that does.
    if (first == 1) {
        answer.embeddedLength = 0.0;
        answer.capacity = capacity[1];
    } else {
        const double below = capacity[static_cast<std::size_t>(first - 1)];
        const double above = capacity[static_cast<std::size_t>(first)];
        const double share = (load * factor - below) / (above - below);
        answer.embeddedLength = lengthOf(first - 1) + share * lengthIncrement;
        answer.capacity = below + share * (above - below);
    }
    answer.capacityLength = *answer.embeddedLength;

    // Deeper, a weaker layer under a stronger one can take the capacity below the load again.
    for (int k = first + 1; k <= rows; ++k) {
        if (carries(k)) continue;
        const double before = capacity[static_cast<std::size_t>(k - 1)];
        const double after = capacity[static_cast<std::size_t>(k)];
        const double share = (before - load * factor) / (before - after);
        const double at = std::isfinite(share) ? lengthOf(k - 1) + share * lengthIncrement : lengthOf(k);
        answer.fallsBelowAgainAt = at;
        answer.advisory = "the capacity falls below the load again from " + lengthText(at, unitSystem) +
                          " (a weaker layer under a stronger one); the least length that carries it is given";
        break;
    }
    return answer;
}

void findDesignAnswers(AnalysisState& s, const Analysis& analysis) {
    const InputData& in = s.input;
    if (s.result == nullptr || in.designLoadCount < 1) return;
    const int rows = std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows));

    // The methods with a table, in report order.
    std::vector<int> methods;
    for (const MethodTable& t : s.result->tables) methods.push_back(t.selection);

    std::vector<Capacities> capacities(kMethodCount + 1);
    bool piles = false;
    bool secondPass = false;  // API RP-2A, the one method of the second pass that may need them
    for (const int sel : methods) {
        if (sel < 1 || sel > static_cast<int>(kMethodCount)) continue;
        const StoredMethodRows& store = s.methodRowStore[static_cast<std::size_t>(sel)];
        Capacities& c = capacities[static_cast<std::size_t>(sel)];
        c.assign(static_cast<std::size_t>(rows) + 1, 0.0);
        for (int k = 1; k <= std::min(rows, store.rowCount); ++k) c[static_cast<std::size_t>(k)] = store.drivenCapacity[k];
        piles = piles || rowsNeedPilesOfTheirOwn(in, sel);
        secondPass = secondPass || (sel == kSelApi && rowsNeedPilesOfTheirOwn(in, sel));
    }

    // Piles of every length of the table for the methods that need them (row 1, a pile of no
    // length, keeps its row).
    if (piles) {
        Analysis shortened = analysis;
        shortened.options.cptRowsAsDriven = 0;
        shortened.methods.cptMethods = 0;
        shortened.design = {};
        for (int k = 2; k <= rows; ++k) {
            shortened.pile.length = analysis.pile.stickup + (k - 1) * in.lengthIncrement;
            std::array<double, kMethodCount + 1> last{};
            lastRowCapacities(shortened, secondPass, last);
            for (const int sel : methods) {
                if (sel >= 1 && sel <= static_cast<int>(kMethodCount) && rowsNeedPilesOfTheirOwn(in, sel))
                    capacities[static_cast<std::size_t>(sel)][static_cast<std::size_t>(k)] = last[static_cast<std::size_t>(sel)];
            }
        }
    }

    for (MethodTable& t : s.result->tables) {
        if (t.selection >= 1 && t.selection <= static_cast<int>(kMethodCount)) {
            const Capacities& c = capacities[static_cast<std::size_t>(t.selection)];
            t.drivenCapacity.assign(c.begin() + 1, c.end());
        }
    }

    const bool factored = layersCarryResistanceFactors(analysis);
    for (const int sel : methods) {
        if (sel < 1 || sel > static_cast<int>(kMethodCount)) continue;
        for (int i = 1; i <= in.designLoadCount; ++i) {
            DesignAnswer a = designAnswerFor(capacities[static_cast<std::size_t>(sel)], in.lengthIncrement, in.designLoads[i],
                                       in.factorOfSafety, in.unitSystem);
            a.selection = sel;
            a.method = std::string(choiceName(methodNames(), sel));
            a.factored = factored;
            // A load reached and lost again deeper is an advisory of the run as well.
            if (!a.advisory.empty()) {
                s.result->problems.push_back(makeAdvisory("design_capacity_falls_again", "design.loads[" + std::to_string(i) + "]",
                                                          a.method + " at " + shortestNumberText(a.load) + " " +
                                                              (in.unitSystem == kSi ? "kN" : "kips") + ": " + a.advisory));
            }
            s.result->design.push_back(std::move(a));
        }
    }
}

}  // namespace vorta
