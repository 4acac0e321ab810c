// The limits of the model's fields and the range check of a whole analysis: every value is held to
// the limits of its unit system, reported with its place in each kind of source, and the limits of
// the two unit systems state the same physical range.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "vorta/analysis.h"

namespace vorta {
namespace {

// A small sound analysis: two layers (sand over clay), a sounding, every table.
Analysis soundAnalysis(UnitSystem units) {
    Analysis a;
    a.units = units;
    const bool si = units == UnitSystem::SI;
    a.deepestSoilDepth = si ? 20 : 60;
    a.pile.outsideDiameter = si ? 610 : 24;
    a.pile.insideDiameter = si ? 585 : 23;
    a.pile.elasticModulus = si ? 2.0e8 : 2.9e7;
    a.pile.length = si ? 15 : 50;
    a.pile.lengthIncrement = si ? 0.5 : 1;
    a.pile.axialArea = AxialAreaSource::Table;
    a.pile.areaTable = {{0, si ? 0.02 : 30}, {si ? 10.0 : 30.0, si ? 0.015 : 20}};
    for (int k = 0; k < 4; ++k) {
        ProfilePoint p;
        p.depth = (k + 1) / 2 * (si ? 10.0 : 30.0);
        p.soilType = k < 2 ? SoilType::Sand : SoilType::Clay;
        p.effectiveUnitWeight = si ? 9 : 60;
        p.frictionAngle = k < 2 ? 32 : 0;
        p.shearStrength = k < 2 ? 0 : (si ? 50 : 1000);
        a.soilProfile.push_back(p);
    }
    a.loadTransfer.verificationDepths = {si ? 5.0 : 15.0};
    a.loadTransfer.modifiers = {{0, 1, 1}, {si ? 20.0 : 60.0, 0.9, 1.1}};
    a.loadTransfer.tipMovements = {si ? 0.001 : 0.05, si ? 0.01 : 0.5};
    a.loadTransfer.tipCurveFactors = TipCurveFactors{};
    a.cpt.points = {{0, 0}, {si ? 10.0 : 30.0, si ? 4000.0 : 80000.0}};
    return a;
}

struct Slip {
    const char* what;
    UnitSystem units;
    std::function<void(Analysis&)> change;
    const char* field;
    const char* deckPlace;
    const char* projectPlace;
    const char* allowed;
};

// One value out of range at a time, where it was given in each source, and its allowed range.
const Slip kSlips[] = {
    {"friction angle of 90 degrees", UnitSystem::English, [](Analysis& a) { a.soilProfile[2].frictionAngle = 90; },
     "soil_profile[3].friction_angle", "soil point 3, column 4", "layers[2].friction_angle (top, soil point 3)",
     "0 to below 90 deg"},
    {"blow count of a sand point", UnitSystem::English,
     [](Analysis& a) { a.soilProfile[1].blowCountOrYieldStressRatio = 2147483647; },
     "soil_profile[2].blow_count_or_yield_stress_ratio", "soil point 2, column 9",
     "layers[1].blow_count_or_yield_stress_ratio (bottom, soil point 2)", "0 to 1000"},
    {"yield stress ratio of a clay point", UnitSystem::English,
     [](Analysis& a) { a.soilProfile[3].blowCountOrYieldStressRatio = 1001; },
     "soil_profile[4].blow_count_or_yield_stress_ratio", "soil point 4, column 10",
     "layers[2].blow_count_or_yield_stress_ratio (bottom, soil point 4)", "0 to 1000"},
    {"depth of a soil point", UnitSystem::SI, [](Analysis& a) { a.soilProfile[3].depth = 1.0e308; },
     "soil_profile[4].depth", "soil point 4, depth", "layers[2].bottom (soil point 4)", "0 to 1000 m"},
    {"residual ratio", UnitSystem::English, [](Analysis& a) { a.soilProfile[0].residualRatio = -1.0e308; },
     "soil_profile[1].residual_ratio", "soil point 1, column 19", "layers[1].residual_ratio (top, soil point 1)",
     "0 to 5"},
    {"peak movement near zero", UnitSystem::SI, [](Analysis& a) { a.soilProfile[0].peakMovement = 1.0e-308; },
     "soil_profile[1].peak_movement", "soil point 1, column 18", "layers[1].peak_movement (top, soil point 1)",
     "0.025 to 2500 mm, or 0 (not given)"},
    {"modulus near zero", UnitSystem::English, [](Analysis& a) { a.pile.elasticModulus = 1.0e-308; },
     "pile.elastic_modulus", "record 5, value 5", "pile.elastic_modulus",
     "10000 to 100000000 psi, or 0 (not given)"},
    {"batter of -90 degrees", UnitSystem::English, [](Analysis& a) { a.pile.batterAngle = -90; }, "pile.batter_angle",
     "record 6, value 3", "pile.batter_angle", "above -90 to below 90 deg"},
    {"output step", UnitSystem::English, [](Analysis& a) { a.outputStep = 0; }, "output_step", "record 4, value 2",
     "output_step", "1 to 2147483647"},
    {"area of an area row", UnitSystem::SI, [](Analysis& a) { a.pile.areaTable[1].area = 501; },
     "pile.area_table[2].area", "area row 2 (record 14a, value 2)", "pile.area_table[2].area",
     "0.00001 to 100 m2, or 0 (not given)"},
    {"movement factor of a t-z modifier", UnitSystem::English,
     [](Analysis& a) { a.loadTransfer.modifiers[0].movementFactor = 0; },
     "load_transfer.modifiers[1].movement_factor", "t-z modifier row 1 (record 16b, value 3)",
     "load_transfer.modifiers[1].movement_factor", "0.01 to 100"},
    {"tip-curve load factor", UnitSystem::English,
     [](Analysis& a) { a.loadTransfer.tipCurveFactors->loadFactor = 9999999; },
     "load_transfer.tip_curve_factors.load_factor", "record 18a, value 1",
     "load_transfer.tip_curve_factors.load_factor", "0 to 100"},
    {"verification depth", UnitSystem::English, [](Analysis& a) { a.loadTransfer.verificationDepths[0] = -1.0e308; },
     "load_transfer.verification_depths[1]", "verification depth 1 (record 11b)",
     "load_transfer.verification_depths[1]", "-3300 to 3300 ft"},
    {"tip movement", UnitSystem::SI, [](Analysis& a) { a.loadTransfer.tipMovements[1] = 501; },
     "load_transfer.tip_movements[2]", "tip movement 2 (record 17b)", "load_transfer.tip_movements[2]", "0 to 2.5 m"},
    {"CPT depth", UnitSystem::SI, [](Analysis& a) { a.cpt.points[1].depth = 1.0e308; }, "cpt.points[2].depth",
     "CPT point 2 (CPT file, value 1 of a point)", "cpt.points[2] (depth)", "0 to 1000 m"},
    {"cone resistance in kPa", UnitSystem::SI, [](Analysis& a) { a.cpt.points[1].coneResistance = 300000; },
     "cpt.points[2].cone_resistance", "CPT point 2 (CPT file, value 2 of a point)", "cpt.points[2] (cone resistance)",
     "0 to 250000 kPa"},
};

TEST(RangeCheck, SoundAnalysesOfBothUnitSystemsPass) {
    EXPECT_TRUE(checkRanges(soundAnalysis(UnitSystem::English)).empty());
    EXPECT_TRUE(checkRanges(soundAnalysis(UnitSystem::SI)).empty());
}

TEST(RangeCheck, NamesTheValueWhereEachSourceGaveIt) {
    for (const Slip& slip : kSlips) {
        SCOPED_TRACE(slip.what);
        Analysis a = soundAnalysis(slip.units);
        slip.change(a);
        const std::map<ValueSource, const char*> places = {{ValueSource::Program, slip.field},
                                                           {ValueSource::InputDeck, slip.deckPlace},
                                                           {ValueSource::ProjectFile, slip.projectPlace}};
        for (const auto& [source, place] : places) {
            const std::vector<RangeProblem> problems = checkRanges(a, source);
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_EQ(problems[0].field, slip.field);
            EXPECT_EQ(problems[0].place, place);
            EXPECT_EQ(problems[0].allowed, slip.allowed);
            EXPECT_EQ(problems[0].message.rfind(std::string(place) + ": the ", 0), 0u) << problems[0].message;
        }
    }
}

TEST(RangeCheck, ReportsEveryValueOutOfRangeInTheOrderOfTheModel) {
    Analysis a = soundAnalysis(UnitSystem::English);
    a.cpt.points[0].coneResistance = 1.0e308;
    a.pile.length = 0;
    a.soilProfile[3].effectiveUnitWeight = 1.0e308;
    std::vector<std::string> fields;
    for (const RangeProblem& p : checkRanges(a)) fields.push_back(p.field);
    EXPECT_EQ(fields, (std::vector<std::string>{"pile.length", "soil_profile[4].effective_unit_weight",
                                                "cpt.points[1].cone_resistance"}));
}

TEST(RangeCheck, LimitsFollowTheUnitSystem) {
    // 15000 is a stiff clay in psf and no soil at all in kPa.
    Analysis english = soundAnalysis(UnitSystem::English);
    english.soilProfile[2].shearStrength = 15000;
    EXPECT_TRUE(checkRanges(english).empty());
    Analysis si = soundAnalysis(UnitSystem::SI);
    si.soilProfile[2].shearStrength = 15000;
    ASSERT_EQ(checkRanges(si).size(), 1u);
    EXPECT_EQ(checkRanges(si)[0].allowed, "0 to 10000 kPa");
    // Without a known unit system only the values whose unit does not depend on it are held to limits.
    Analysis unknown = soundAnalysis(UnitSystem::English);
    unknown.units = static_cast<UnitSystem>(3);
    unknown.soilProfile[2].shearStrength = 1.0e308;
    unknown.soilProfile[2].frictionAngle = 95;
    ASSERT_EQ(checkRanges(unknown).size(), 1u);
    EXPECT_EQ(checkRanges(unknown)[0].key, "friction_angle");
}

TEST(RangeCheck, ZeroThatMeansNotGivenPassesWhateverTheBounds) {
    Analysis a = soundAnalysis(UnitSystem::English);
    a.pile.perimeter = -0.0;  // least 3 in, but 0 is a circular pile
    a.pile.elasticModulus = 0;
    a.soilProfile[0].peakMovement = 0;
    EXPECT_TRUE(checkRanges(a).empty());
    a.pile.perimeter = 1;
    ASSERT_EQ(checkRanges(a).size(), 1u);
    EXPECT_EQ(checkRanges(a)[0].allowed, "3 to 2000 in, or 0 (not given)");
}

// Every number of the model has limits: a field added without them fails here.
template <class Owner>
void expectLimited(std::span<const FieldInfo<Owner>> fields) {
    for (const FieldInfo<Owner>& f : fields) {
        if (f.type == FieldType::Real) {
            EXPECT_TRUE(f.limits.limited()) << f.key;
        }
    }
}

TEST(FieldLimits, EveryRealValueHasLimits) {
    expectLimited(analysisFields());
    expectLimited(pileFields());
    expectLimited(areaRowFields());
    expectLimited(soilPointFields());
    expectLimited(loadingFields());
    expectLimited(optionFields());
    expectLimited(tzModifierFields());
    expectLimited(tipCurveFactorFields());
    expectLimited(cptPointFields());
    expectLimited(loadTransferListFields());
}

// The English and SI limits of a field state one physical range: a bound in psf is not the same
// number in kPa. Each bound, converted to English units, lies within a factor of 2 of the English
// one (the bounds are round numbers in each system).
const std::map<std::pair<std::string_view, std::string_view>, double> kEnglishPerSi = {
    {{"ft", "m"}, 3.28084},     {{"in", "mm"}, 1 / 25.4},      {{"in", "m"}, 39.3701},   {{"in2", "m2"}, 1550.0},
    {{"psf", "kPa"}, 20.8854},  {{"pcf", "kN/m3"}, 6.36588},   {{"psi", "kPa"}, 0.145038},
};

template <class Owner>
void expectOneRangeInBothSystems(std::span<const FieldInfo<Owner>> fields) {
    for (const FieldInfo<Owner>& f : fields) {
        if (!f.limits.limited()) continue;
        const ValueBounds& e = f.limits.english;
        const ValueBounds& s = f.limits.si;
        EXPECT_LT(e.least, e.greatest) << f.key;
        EXPECT_LT(s.least, s.greatest) << f.key;
        if (f.englishUnit == f.siUnit) {
            EXPECT_EQ(e.least, s.least) << f.key;
            EXPECT_EQ(e.greatest, s.greatest) << f.key;
            continue;
        }
        const auto factor = kEnglishPerSi.find({f.englishUnit, f.siUnit});
        ASSERT_NE(factor, kEnglishPerSi.end()) << f.key << ": " << f.englishUnit << " / " << f.siUnit;
        for (const auto& [english, si] : {std::pair{e.least, s.least}, std::pair{e.greatest, s.greatest}}) {
            if (english == 0.0 || si == 0.0) {
                EXPECT_EQ(english, si) << f.key;
                continue;
            }
            const double ratio = english / (si * factor->second);
            EXPECT_TRUE(ratio > 0.5 && ratio < 2.0) << f.key << ": " << english << " " << f.englishUnit << " against "
                                                    << si << " " << f.siUnit;
        }
    }
}

TEST(FieldLimits, EnglishAndSiLimitsStateOneRange) {
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
}

}  // namespace
}  // namespace vorta
