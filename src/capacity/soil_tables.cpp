// Soil-property charts read by the end-bearing rules and the capacity integration. Each chart is a
// piecewise-linear table in its own variable; beyond either end it holds the end value.
#include "capacity/soil_tables.h"

#include "capacity/piecewise_table.h"

namespace vorta {
namespace {

// Bearing capacity factor Nq against the wall friction angle delta (degrees).
constexpr double kDeltaForNq[] = {15, 20, 25, 30, 35};
constexpr double kNqForDelta[] = {8, 12, 20, 40, 50};
constexpr PiecewiseLinearTable<5> kBearingFactorByDelta(kDeltaForNq, kNqForDelta);

// Limiting unit skin friction (ksf) against delta (degrees).
constexpr double kDeltaForLimit[] = {15, 20, 25, 30, 35};
constexpr double kLimitForDelta[] = {1.0, 1.4, 1.7, 2.0, 2.4};
constexpr PiecewiseLinearTable<5> kLimitingFrictionByDelta(kDeltaForLimit, kLimitForDelta);

// Nq of the Corps of Engineers rule against the friction angle; 1 at and below 0 degrees.
constexpr double kUsacePhi[] = {0, 5, 10, 15, 20, 30, 32, 36, 38, 39, 40, 45, 50};
constexpr double kUsaceNq[] = {1, 1.6, 2.7, 4.4, 7.4, 23, 30, 56, 68, 79, 88, 200, 415.1};
constexpr PiecewiseLinearTable<13> kUsaceBearingFactor(kUsacePhi, kUsaceNq);

// N'q of the Nordlund rule against the friction angle; 4.8 at and below 15 degrees.
constexpr double kFhwaPhi[] = {15, 17.5, 20, 22.5, 25, 27.5, 30, 32.5, 35, 37.5, 40, 42.5, 45};
constexpr double kFhwaNq[] = {4.8, 6.2, 8.2, 12, 15, 21, 30, 43, 64, 98, 160, 265, 475};
constexpr PiecewiseLinearTable<13> kFhwaBearingFactor(kFhwaPhi, kFhwaNq);

// Limiting tip resistance of the Nordlund rule (tons per square foot) against the friction
// angle; 6.66 at and below 30 degrees.
constexpr double kFhwaLimitPhi[] = {30, 31.25, 32.5, 33.75, 35, 36.25, 37.5, 38.75, 40, 41.25, 42.5, 43.75};
constexpr double kFhwaLimitTsf[] = {6.66, 11.25, 20, 32.5, 53.8, 81.3, 117.5, 159.5, 208.8, 262.5, 318.8, 368.8};
constexpr PiecewiseLinearTable<12> kFhwaLimitingBearing(kFhwaLimitPhi, kFhwaLimitTsf);

// Factor alpha-t against the friction angle, one column per depth-to-diameter ratio 20, 30, 45.
constexpr double kAlphaPhi[] = {20, 20.5, 22.5, 25, 27.5, 30, 32.5, 35, 36.5, 37.5, 40, 42.5, 45};
constexpr double kAlphaAt20[] = {0.365, 0.375, 0.416, 0.47, 0.525, 0.58, 0.637, 0.68, 0.7, 0.715, 0.75, 0.78, 0.8};
constexpr double kAlphaAt30[] = {0.256, 0.267, 0.319, 0.389, 0.4, 0.52, 0.605, 0.67, 0.7, 0.715, 0.75, 0.78, 0.8};
constexpr double kAlphaAt45[] = {0.177, 0.19, 0.242, 0.318, 0.4, 0.49, 0.578, 0.66, 0.7, 0.715, 0.75, 0.78, 0.8};
constexpr PiecewiseLinearTable<13> kAlphaTAt20(kAlphaPhi, kAlphaAt20);
constexpr PiecewiseLinearTable<13> kAlphaTAt30(kAlphaPhi, kAlphaAt30);
constexpr PiecewiseLinearTable<13> kAlphaTAt45(kAlphaPhi, kAlphaAt45);

}  // namespace

double bearingFactorForAngle(double delta) { return kBearingFactorByDelta(delta); }

double limitingFrictionForAngle(double delta) { return kLimitingFrictionByDelta(delta); }

double usaceBearingFactor(double phi) { return kUsaceBearingFactor(phi); }

double fhwaBearingFactor(double phi) { return kFhwaBearingFactor(phi); }

double fhwaLimitingBearing(double phi) { return kFhwaLimitingBearing(phi); }

// alpha-t within a column linear in the friction angle; between the columns linear in the
// depth-to-diameter ratio, the first column up to 20 and the last from 45 on.
double fhwaAlphaT(double phi, double depthToDiameter) {
    const double r = depthToDiameter;
    if (r <= 20.0) return kAlphaTAt20(phi);
    if (r < 30.0) {
        const double a20 = kAlphaTAt20(phi);
        const double a30 = kAlphaTAt30(phi);
        return a20 + (a30 - a20) * (r - 20.0) / (30.0 - 20.0);
    }
    if (r < 45.0) {
        const double a30 = kAlphaTAt30(phi);
        const double a45 = kAlphaTAt45(phi);
        return a30 + (a45 - a30) * (r - 30.0) / (45.0 - 30.0);
    }
    return kAlphaTAt45(phi);  // 45 and beyond (and a ratio that is not a number)
}

}  // namespace vorta
