// The limits of the model's fields and the range check of a whole analysis.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "vorta/analysis.h"
#include "vorta/units.h"

namespace vorta {
namespace {

// A sound analysis: sand over clay, a sounding, verification depths, modifiers and tip movements.
Analysis soundAnalysis(UnitSystem units) {
    const bool si = units == UnitSystem::SI;
    Analysis a;
    a.units = units;
    a.deepestSoilDepth = si ? 20 : 60;
    a.pile.outsideDiameter = si ? 610 : 24;
    a.pile.elasticModulus = si ? 2.0e8 : 2.9e7;
    a.pile.length = si ? 15 : 50;
    a.pile.lengthIncrement = si ? 0.5 : 1;
    for (int k = 0; k < 4; ++k) {
        ProfilePoint p;
        p.depth = (k + 1) / 2 * (si ? 10.0 : 30.0);
        p.soilType = k < 2 ? SoilType::Sand : SoilType::Clay;
        p.effectiveUnitWeight = si ? 9 : 60;
        p.shearStrength = k < 2 ? 0 : (si ? 50 : 1000);
        a.soilProfile.push_back(p);
    }
    a.loadTransfer.verificationDepths = {si ? 5.0 : 15.0};
    a.loadTransfer.modifiers = {{0, 1, 1}, {si ? 20.0 : 60.0, 0.9, 1.1}};
    a.loadTransfer.tipMovements = {si ? 1.0 : 0.05};
    a.cpt.points = {{0, 0, {}, {}}, {si ? 10.0 : 30.0, si ? 4000.0 : 80000.0, {}, {}}};
    return a;
}

struct Slip {
    UnitSystem units;
    std::function<void(Analysis&)> change;
    const char* path;          // the key of a project file, whatever the source
    const char* deckPlace;     // where an input data file holds it
    const char* projectPlace;  // how a project file or a program names it in the message
    const char* allowed;
};

const Slip kSlips[] = {
    {UnitSystem::English, [](Analysis& a) { a.soilProfile[2].frictionAngle = 90; }, "layers[2].friction_angle",
     "soil point 3, column 4", "layers[2].friction_angle (top, soil point 3)", "0 to below 90 deg"},
    {UnitSystem::English, [](Analysis& a) { a.soilProfile[1].blowCountOrYieldStressRatio = 2147483647; },
     "layers[1].blow_count_or_yield_stress_ratio", "soil point 2, column 9",  // a sand's blow count
     "layers[1].blow_count_or_yield_stress_ratio (bottom, soil point 2)", "0 to 1000"},
    {UnitSystem::SI, [](Analysis& a) { a.soilProfile[3].depth = 1.0e308; }, "layers[2].bottom",
     "soil point 4, depth", "layers[2].bottom (soil point 4)", "0 to 1000 m"},
    {UnitSystem::SI, [](Analysis& a) { a.soilProfile[0].peakMovement = 1.0e-308; }, "layers[1].peak_movement",
     "soil point 1, column 18", "layers[1].peak_movement (top, soil point 1)", "0.025 to 2500 mm, or -2500 mm to 0 (not given)"},
    {UnitSystem::English, [](Analysis& a) { a.pile.batterAngle = -90; }, "pile.batter_angle", "record 6, value 3",
     "pile.batter_angle", "above -90 to below 90 deg"},
    {UnitSystem::English, [](Analysis& a) { a.loadTransfer.modifiers[0].movementFactor = 0; },
     "load_transfer.modifiers[1].movement_factor", "t-z modifier row 1 (record 16b, value 3)",
     "load_transfer.modifiers[1].movement_factor", "0.01 to 100"},
    {UnitSystem::SI, [](Analysis& a) { a.loadTransfer.tipMovements[0] = 2600; }, "load_transfer.tip_movements[1]",
     "tip movement 1 (record 17b)", "load_transfer.tip_movements[1]", "0 to 2500 mm"},
    {UnitSystem::SI, [](Analysis& a) { a.cpt.points[1].coneResistance = 300000; }, "cpt.points[2]",
     "CPT point 2 (CPT file, value 2 of a point)", "cpt.points[2] (cone resistance)", "0 to 250000 kPa"},
};

TEST(RangeCheck, NamesTheValueWhereEachSourceGaveIt) {
    EXPECT_TRUE(checkRanges(soundAnalysis(UnitSystem::English)).empty());
    EXPECT_TRUE(checkRanges(soundAnalysis(UnitSystem::SI)).empty());
    for (const Slip& slip : kSlips) {
        SCOPED_TRACE(slip.path);
        Analysis a = soundAnalysis(slip.units);
        slip.change(a);
        for (const ValueSource source : {ValueSource::Program, ValueSource::InputDeck, ValueSource::ProjectFile}) {
            const std::vector<Problem> problems = checkRanges(a, source);
            ASSERT_EQ(problems.size(), 1u);
            const bool deck = source == ValueSource::InputDeck;
            EXPECT_EQ(problems[0].path, slip.path);
            EXPECT_EQ(problems[0].place, deck ? slip.deckPlace : "");
            EXPECT_EQ(problems[0].message.rfind(std::string(deck ? slip.deckPlace : slip.projectPlace) + ": the ", 0), 0u)
                << problems[0].message;
            EXPECT_EQ(problems[0].allowed, slip.allowed);
        }
    }
}

TEST(RangeCheck, LimitsFollowTheUnitSystemAndZeroMayMeanNotGiven) {
    Analysis a = soundAnalysis(UnitSystem::English);
    a.soilProfile[2].shearStrength = 15000;  // a stiff clay in psf, no soil in kPa
    a.pile.perimeter = -0.0;                 // least 3 in, but 0 is a circular pile
    a.pile.elasticModulus = 0;
    EXPECT_TRUE(checkRanges(a).empty());
    Analysis si = soundAnalysis(UnitSystem::SI);
    si.soilProfile[2].shearStrength = 15000;
    ASSERT_EQ(checkRanges(si).size(), 1u);
    EXPECT_EQ(checkRanges(si)[0].allowed, "0 to 10000 kPa");
    // Without a known unit system only values whose unit does not depend on it are checked.
    a.units = static_cast<UnitSystem>(3);
    a.soilProfile[2].frictionAngle = 95;
    ASSERT_EQ(checkRanges(a).size(), 1u);
    EXPECT_EQ(checkRanges(a)[0].path, "layers[2].friction_angle");
}

// Every number of the model has limits and a conversion factor, and the English and SI limits
// state one physical range: each bound, converted to English units, lies within a factor of 2 of
// the English bound (they are round numbers in each system). A bound in psf written again as kPa
// fails here.
const std::map<std::pair<std::string_view, std::string_view>, double> kEnglishPerSi = {
    {{"ft", "m"}, 3.28084},    {{"in", "mm"}, 1 / 25.4},    {{"in", "m"}, 39.3701},     {{"in2", "m2"}, 1550.0},
    {{"psf", "kPa"}, 20.8854}, {{"pcf", "kN/m3"}, 6.36588}, {{"psi", "kPa"}, 0.145038},
};

template <class Owner>
void expectOneRangeInBothSystems(std::span<const FieldInfo<Owner>> fields) {
    for (const FieldInfo<Owner>& f : fields) {
        if (f.type != FieldType::Real) continue;
        EXPECT_TRUE(unitFactor(f.englishUnit, f.siUnit).has_value()) << f.key;  // the conversion knows it too
        // A verification depth outside the soil profile is a curve not printed: any depth is allowed.
        if (f.key == "verification_depths") {
            EXPECT_FALSE(f.limits.limited());
            continue;
        }
        ASSERT_TRUE(f.limits.limited()) << f.key;
        const ValueBounds& e = f.limits.english;
        const ValueBounds& s = f.limits.si;
        EXPECT_LT(e.least, e.greatest) << f.key;
        const auto factor = kEnglishPerSi.find({f.englishUnit, f.siUnit});
        ASSERT_TRUE(f.englishUnit == f.siUnit || factor != kEnglishPerSi.end()) << f.key;
        for (const auto& [english, si] : {std::pair{e.least, s.least}, std::pair{e.greatest, s.greatest}}) {
            if (f.englishUnit == f.siUnit || english == 0.0 || si == 0.0) {
                EXPECT_EQ(english, si) << f.key;
            } else {
                const double ratio = english / (si * factor->second);
                EXPECT_TRUE(ratio > 0.5 && ratio < 2.0) << f.key << ": " << english << " against " << si;
            }
        }
    }
}

TEST(FieldLimits, EveryNumberHasLimitsAndAFactorThatStateOneRangeInBothUnitSystems) {
    expectOneRangeInBothSystems(analysisFields());
    expectOneRangeInBothSystems(pileFields());
    expectOneRangeInBothSystems(areaRowFields());
    expectOneRangeInBothSystems(soilPointFields());
    expectOneRangeInBothSystems(loadingFields());
    expectOneRangeInBothSystems(optionFields());
    expectOneRangeInBothSystems(tzModifierFields());
    expectOneRangeInBothSystems(tipCurveFactorFields());
    expectOneRangeInBothSystems(cptPointFields());
    expectOneRangeInBothSystems(loadTransferListFields());
    EXPECT_FALSE(unitFactor("ft", "kPa").has_value());
    EXPECT_FALSE(unitFactor("ft", "furlong").has_value());
}

}  // namespace
}  // namespace vorta
