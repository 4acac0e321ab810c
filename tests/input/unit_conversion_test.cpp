// An analysis converted between English and SI: the factors, the values that are not quantities
// (codes, markers, zeros), and every example run in the other unit system giving the same
// capacities within 0.5% at every printed row, where the engine's own constants allow.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "support/test_support.h"
#include "vorta/analysis.h"
#include "vorta/units.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

Analysis exampleModel(const std::string& name) {
    const fs::path folder = test::sourcePath("examples/" + name);
    return readInputDeck(folder / "input.dat", folder / "sounding.cpt");
}

TEST(UnitConversion, CodesMarkersAndZerosAreNotQuantities) {
    Analysis a;
    a.units = UnitSystem::English;
    a.pile.outsideDiameter = 24.0;   // in
    a.pile.length = 60.0;            // ft
    ProfilePoint clay;
    clay.soilType = SoilType::Clay;
    clay.depth = 10.0;
    clay.shearStrength = 1000.0;                   // psf
    clay.maxUnitFriction = 9999999.0;              // no limit
    clay.maxUnitBearing = 0.0;                     // not limited
    clay.adhesionCaseOrTipMovement = 2.7;          // case 2
    ProfilePoint sand = clay;
    sand.soilType = SoilType::Sand;
    sand.adhesionCaseOrTipMovement = 1.2;          // reference tip movement, in
    sand.effectiveUnitWeight = 120.0;              // pcf
    a.soilProfile = {clay, sand};
    a.loadTransfer.tipMovements = {0.5};           // in
    a.cpt.points = {{3.0, 20000.0, 100.0, std::nullopt}};

    const Analysis si = convertUnits(a, UnitSystem::SI);
    EXPECT_EQ(si.units, UnitSystem::SI);
    EXPECT_EQ(si.pile.outsideDiameter, 609.6);     // 24 x 25.4 mm
    EXPECT_EQ(si.pile.length, 18.288);             // 60 x 0.3048 m
    EXPECT_EQ(si.soilProfile[0].depth, 3.048);
    EXPECT_EQ(si.soilProfile[0].shearStrength, 47.8802590);   // 1000 lbf/ft2 in kPa
    EXPECT_EQ(si.soilProfile[0].maxUnitFriction, 9999999.0);
    EXPECT_EQ(si.soilProfile[0].maxUnitBearing, 0.0);
    EXPECT_EQ(si.soilProfile[0].adhesionCaseOrTipMovement, 2.7);      // case 2 in either system
    EXPECT_EQ(si.soilProfile[1].adhesionCaseOrTipMovement, 30.48);    // 1.2 in in mm
    EXPECT_EQ(si.soilProfile[1].effectiveUnitWeight, 18.8504957);     // 120 x 0.157087464 kN/m3
    EXPECT_EQ(si.loadTransfer.tipMovements[0], 12.7);                 // in to mm, by the table's units
    EXPECT_EQ(si.cpt.points[0].depth, 0.9144);
    EXPECT_EQ(si.cpt.points[0].coneResistance, 957.605180);
    EXPECT_EQ(*si.cpt.points[0].sleeveFriction, 4.78802590);
    EXPECT_FALSE(si.cpt.points[0].porePressure.has_value());

    Analysis thousands = si;
    thousands.soilProfile[0].adhesionCaseOrTipMovement = 3000.0;       // case 3 as an SI deck may write it
    EXPECT_EQ(convertUnits(thousands, UnitSystem::English).soilProfile[0].adhesionCaseOrTipMovement, 3.0);

    const Analysis back = convertUnits(si, UnitSystem::English);
    EXPECT_EQ(back.pile.outsideDiameter, 24.0);
    EXPECT_EQ(back.soilProfile[0].adhesionCaseOrTipMovement, 2.7);
    EXPECT_EQ(back.soilProfile[1].adhesionCaseOrTipMovement, 1.2);
    EXPECT_EQ(back.soilProfile[0].shearStrength, 1000.0);
    EXPECT_EQ(back.cpt.points[0].coneResistance, 20000.0);
}

// The largest difference of a converted run from the original run, over the printed rows of the
// skin friction, tip and ultimate capacity columns, relative to the larger of the two values (a
// value within half the last printed digit counts as equal).
struct Difference {
    double relative = 0.0;
    std::string where;
};

constexpr double kKipInKilonewtons = 4.4482216152605;

Difference compareTables(const AnalysisResult& original, const AnalysisResult& converted, UnitSystem originalUnits,
                         std::map<std::string, double>& byMethod) {
    Difference worst;
    // Forces of the converted run in the original's unit.
    const double toOriginal = originalUnits == UnitSystem::English ? 1.0 / kKipInKilonewtons : kKipInKilonewtons;
    const double lengthToOriginal = originalUnits == UnitSystem::English ? 1.0 / 0.3048 : 0.3048;
    EXPECT_EQ(original.tables.size(), converted.tables.size());
    for (std::size_t t = 0; t < std::min(original.tables.size(), converted.tables.size()); ++t) {
        const MethodTable& a = original.tables[t];
        const MethodTable& b = converted.tables[t];
        EXPECT_EQ(a.rows.size(), b.rows.size()) << a.title;
        for (std::size_t r = 0; r < std::min(a.rows.size(), b.rows.size()); ++r) {
            if (!a.rows[r].printed) continue;  // the report's rows, which the allowances were found on
            EXPECT_NEAR(b.rows[r].pileLength * lengthToOriginal, a.rows[r].pileLength, 1e-6 * (1 + a.rows[r].pileLength));
            const double columns[3][2] = {{a.rows[r].skinFriction, b.rows[r].skinFriction * toOriginal},
                                          {a.rows[r].tipResistance, b.rows[r].tipResistance * toOriginal},
                                          {a.rows[r].ultimateCapacity, b.rows[r].ultimateCapacity * toOriginal}};
            for (const auto& c : columns) {
                const double gap = std::fabs(c[0] - c[1]);
                if (gap <= 0.05) continue;  // half the last printed digit (F8.1)
                const double relative = gap / std::max(std::fabs(c[0]), std::fabs(c[1]));
                byMethod[a.title] = std::max(byMethod[a.title], relative);
                if (relative > worst.relative) {
                    char text[160];
                    std::snprintf(text, sizeof text, "%s, pile length %.2f: %.1f against %.1f", a.title.c_str(),
                                  a.rows[r].pileLength, c[0], c[1]);
                    worst = {relative, text};
                }
            }
        }
    }
    return worst;
}

AnalysisResult runForResult(const Analysis& a) { return test::runModel(a).result; }

// Where the engine's own constants differ between the unit systems, a converted run differs by
// more than 0.5%: each such method of an example, the largest difference allowed (the one measured,
// rounded up) and the constant.
constexpr const char* kUsaceDensityDepth =
    "USACE critical depth by density: 10, 15 or 20 diameters plus 1.0 in the length unit (1 ft or 1 m)";
constexpr const char* kFhwaLayerSum =
    "FHWA penetration ratio: a cohesive layer joins the running sum when a segment bottom lies within 0.95 "
    "of its bottom, in the length unit (0.95 ft or 0.95 m)";
constexpr const char* kFhwaCaseThreshold =
    "FHWA adhesion case from the clay above: su >= 0.8 ksf (single precision); 800 psf lies on it, and "
    "38.3042 kPa / 47.88 lies above it";
constexpr const char* kAtmosphericPressure = "atmospheric pressure pa: 2.1168 ksf (101.35 kPa) in English, 100 kPa in SI";
constexpr const char* kBoundaryDepth =
    "a segment top on the user's critical depth of 20 ft lies a rounding above or below it in metres";

struct Allowance {
    const char* example;
    const char* method;
    double largest;
    const char* why;
};
const Allowance kAllowances[] = {
    {"battered-pipe-pile", "ARMY CORPS METHOD", 0.13, kUsaceDensityDepth},
    {"battered-pipe-pile", "FED. HWY. METHOD", 0.101, kFhwaLayerSum},
    {"closed-pipe-si", "FED. HWY. METHOD", 0.037, kFhwaLayerSum},
    {"closed-pipe-si", "IMPERIAL COLLEGE (MTD) METHOD", 0.023, kAtmosphericPressure},
    {"closed-pipe-si", "NORWEIGIAN GEOTECHNICAL INSTITUTE (NGI) METHOD", 0.027, kAtmosphericPressure},
    {"cpt-four-methods-si", "FUGRO 2004 (FUGRO) METHOD", 0.007, kAtmosphericPressure},
    {"general-method-user-values", "FED. HWY. METHOD", 0.49, kFhwaCaseThreshold},
    {"h-pile-clay-silt-sand", "FED. HWY. METHOD", 0.032, kFhwaLayerSum},
    {"open-pipe-sand-over-clay", "FED. HWY. METHOD", 0.18, kFhwaLayerSum},
    {"square-precast-concrete", "ARMY CORPS METHOD", 0.037, kUsaceDensityDepth},
    {"square-precast-concrete", "FED. HWY. METHOD", 0.018, kFhwaLayerSum},
    {"square-precast-concrete", "FUGRO 2004 (FUGRO) METHOD", 0.131, kAtmosphericPressure},
    {"square-precast-concrete", "NORWEIGIAN GEOTECHNICAL INSTITUTE (NGI) METHOD", 0.009, kAtmosphericPressure},
    {"tapered-monotube", "ARMY CORPS METHOD", 0.193, kUsaceDensityDepth},
    {"usace-density-rule", "ARMY CORPS METHOD", 0.173, kUsaceDensityDepth},
    {"usace-user-critical-depth", "ARMY CORPS METHOD", 0.0054, kBoundaryDepth},
    {"verification-curves-and-modifiers", "FED. HWY. METHOD", 0.177, kFhwaLayerSum},
};

const Allowance* allowanceFor(const std::string& example, const std::string& method) {
    for (const Allowance& a : kAllowances) {
        if (example == a.example && method == a.method) return &a;
    }
    return nullptr;
}

class ExampleInOtherUnits : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleInOtherUnits, GivesTheSameCapacitiesWithinHalfAPercentAtEveryPrintedRow) {
    const Analysis original = exampleModel(GetParam());
    const UnitSystem other = original.units == UnitSystem::English ? UnitSystem::SI : UnitSystem::English;
    const AnalysisResult a = runForResult(original);
    const AnalysisResult b = runForResult(convertUnits(original, other));
    EXPECT_EQ(a.status, b.status);
    std::map<std::string, double> byMethod;
    const Difference worst = compareTables(a, b, original.units, byMethod);
    for (const auto& [method, relative] : byMethod) {
        const Allowance* allowed = allowanceFor(GetParam(), method);
        std::printf("[ units    ] %s, %s: largest difference %.3f%%%s%s\n", GetParam().c_str(), method.c_str(),
                    100 * relative, allowed != nullptr ? "; " : "", allowed != nullptr ? allowed->why : "");
        EXPECT_LE(relative, allowed != nullptr ? allowed->largest : 0.005) << method;
    }
    if (worst.relative > 0) std::printf("[ units    ] %s, worst row: %s\n", GetParam().c_str(), worst.where.c_str());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleInOtherUnits, ::testing::ValuesIn(test::exampleNames()),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return n;
                         });

}  // namespace
}  // namespace vorta
