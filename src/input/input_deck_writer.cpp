// Input data files and CPT files written from the analysis model, record by record, each number as
// the shortest text that the free-format reader reads back to the same double.
#include <charconv>
#include <cmath>
#include <ostream>
#include <string>

#include "engine/analysis_state.h"
#include "input/input.h"

namespace vorta {
namespace {

// One free-format record: values separated by blanks, on one line.
class Record {
public:
    explicit Record(std::ostream& out) : out_(out) {}
    ~Record() { out_ << '\n'; }
    Record& operator<<(double v) { return put(shortestNumberText(v)); }
    Record& operator<<(int v) { return put(std::to_string(v)); }

private:
    Record& put(const std::string& text) {
        if (!first_) out_ << ' ';
        out_ << text;
        first_ = false;
        return *this;
    }
    std::ostream& out_;
    bool first_ = true;
};

int code(auto e) { return static_cast<int>(e); }

int switchOf(const std::optional<int>& kept, bool hasRows) { return kept.value_or(hasRows ? 1 : 0); }

}  // namespace

std::string shortestNumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

double shiftedDecimal(double value, int powerOfTen) {
    if (!std::isfinite(value)) return value;
    const std::string text = shortestNumberText(value) + "e" + std::to_string(powerOfTen);
    double shifted = value;
    std::from_chars(text.data(), text.data() + text.size(), shifted);
    return shifted;
}

void writeInputDeck(const Analysis& a, std::ostream& out) {
    checkStatable(a);
    const Pile& p = a.pile;
    const Methods& m = a.methods;
    out << a.titles.title << '\n' << a.titles.designer << '\n' << a.titles.jobNumber << '\n';
    Record(out) << code(a.units) << a.outputStep
                << a.negativeSoilPointCount.value_or(static_cast<int>(a.soilProfile.size())) << code(p.tip);
    Record(out) << p.perimeter << p.tipArea << p.outsideDiameter << p.insideDiameter << p.elasticModulus << p.length
                << p.stickup;
    Record(out) << p.enhancedEndLength << p.enhancedEndInsideDiameter << p.batterAngle;
    Record(out) << p.zeroFrictionLength << p.lengthIncrement << code(p.type) << p.taperAngle << code(m.loadTransfer)
                << m.cptMethods << m.reducedSideFriction;
    {
        Record methods(out);
        for (int flag : m.selected) methods << flag;
    }
    Record(out) << a.deepestSoilDepth << p.crossSectionArea;

    // Two records per soil point; a sand point carries its blow count in the remolded position.
    for (const ProfilePoint& s : a.soilProfile) {
        const bool sand = s.soilType == SoilType::Sand;
        Record(out) << s.depth << code(s.soilType) << s.lateralEarthPressure << s.effectiveUnitWeight << s.frictionAngle
                    << s.bearingCapacityFactor;
        Record(out) << s.maxUnitFriction << s.maxUnitBearing << s.shearStrength
                    << (sand ? s.blowCountOrYieldStressRatio : s.remoldedStrength)
                    << (sand ? s.unusedSandColumn10 : s.blowCountOrYieldStressRatio) << s.plasticityIndex
                    << s.coneResistance << s.userUnitFriction << s.userUnitBearing << s.lrfdFrictionFactor
                    << s.lrfdBearingFactor << s.adhesionCaseOrTipMovement << s.peakMovement << s.residualRatio;
    }

    const LoadTransferTables& t = a.loadTransfer;
    const int verificationFlag = switchOf(t.verificationSwitch, !t.verificationDepths.empty());
    Record(out) << verificationFlag;
    if (verificationFlag == 1) {
        Record(out) << static_cast<int>(t.verificationDepths.size());
        for (double depth : t.verificationDepths) Record(out) << depth;
    }

    Record(out) << code(a.loading.type) << a.loading.tensionReductionFactor;
    Record(out) << a.options.icpDrainedClay << code(a.options.plugCondition) << a.options.longPileOption;
    Record(out) << static_cast<int>(p.areaTable.size()) << code(p.axialArea);
    for (const AreaTableRow& row : p.areaTable) Record(out) << row.distance << row.area;
    Record(out) << code(a.options.criticalDepthRule) << a.options.criticalDepth;

    // A count of 1 reads no row: a table of one row is written as that row twice, which gives the
    // same factors at every depth.
    const int modifierFlag = switchOf(t.modifierSwitch, !t.modifiers.empty());
    Record(out) << modifierFlag;
    if (modifierFlag == 1) {
        if (t.modifiers.empty()) {
            Record(out) << t.modifierCount.value_or(0);
        } else {
            const bool twice = t.modifiers.size() == 1;
            Record(out) << static_cast<int>(twice ? 2 : t.modifiers.size());
            for (const TzModifier& row : t.modifiers) Record(out) << row.depth << row.loadFactor << row.movementFactor;
            if (twice) Record(out) << t.modifiers[0].depth << t.modifiers[0].loadFactor << t.modifiers[0].movementFactor;
        }
    }

    const int tipMovementFlag = switchOf(t.tipMovementSwitch, !t.tipMovements.empty());
    Record(out) << tipMovementFlag;
    if (tipMovementFlag == 1) {
        Record(out) << static_cast<int>(t.tipMovements.size());
        // An input data file states SI tip movements in m.
        for (double w : t.tipMovements) Record(out) << (a.units == UnitSystem::SI ? shiftedDecimal(w, -3) : w);
    }

    const int tipCurveFlag = switchOf(t.tipCurveFactorSwitch, t.tipCurveFactors.has_value());
    Record(out) << tipCurveFlag;
    if (tipCurveFlag == 1) {
        const TipCurveFactors f = t.tipCurveFactors.value_or(TipCurveFactors{0.0, 0.0});
        Record(out) << f.loadFactor << f.movementFactor;
    }
}

void writeCptFile(const Sounding& cpt, std::ostream& out) {
    if (cpt.points.size() > kMaxCptPoints) {
        throw InputError("the analysis: the CPT sounding has " + std::to_string(cpt.points.size()) +
                         " points, more than the limit of " + std::to_string(kMaxCptPoints));
    }
    Record(out) << cpt.header << static_cast<int>(cpt.points.size());
    for (const CptPoint& p : cpt.points) Record(out) << p.depth << p.coneResistance;
}

}  // namespace vorta
