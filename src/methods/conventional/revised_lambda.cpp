// Revised Lambda method (method code 3): the total skin friction of the pile embedded to a row is
// lambda (mean effective stress + 2 mean strength) times the shaft area, with lambda from the
// pile-soil compressibility mu and the ratio of mean strength to mean stress. The unit friction of
// a row is the growth of that total from the row above, limited by the row's maximum.
#include <algorithm>
#include <cmath>
#include <limits>

#include "capacity/capacity.h"
#include "engine/constants.h"
#include "methods/conventional/conventional.h"
#include "methods/conventional/row_steps.h"

namespace vorta {
namespace {

double thicknessOf(const AnalysisState& s, int i) { return s.segBottomDepth[i] - s.segTopDepth[i]; }

// Mean effective stress and mean strength over the embedded depth 0..x.
struct PenetrationMeans {
    double stress = 0.0;
    double strength = 0.0;
};

// The integrals of the whole segments above segment j (stressAbove[j], strengthAbove[j]) are
// added up once, top down, in the order the sum over segments 1..j-1 adds them.
PenetrationMeans meansOverPenetration(const AnalysisState& s, const SegmentWalk& walk, int& hint, double x,
                                      const SegmentArray& strength, const SegmentArray& stressAbove,
                                      const SegmentArray& strengthAbove) {
    PenetrationMeans means;
    if (x - s.segBottomDepth[1] > sp(1.0e-6)) {
        const int j = std::max(1, walk.segmentAt(x, hint));
        const double h = x - s.segTopDepth[j];
        const double thickness = thicknessOf(s, j);
        const double topStress = s.nodeEffStress[2 * j - 1];
        const double bottomStress = s.nodeEffStress[2 * j];
        const double stressAtX =
            thickness > 0.0 ? topStress + (bottomStress - topStress) * h / thickness : topStress;
        means.stress = ((stressAtX + topStress) * h / 2.0 + stressAbove[j]) / x;
        means.strength = (strength[j] * h + strengthAbove[j]) / x;
    } else {
        const double thickness = thicknessOf(s, 1);
        const double topStress = s.nodeEffStress[1];
        const double bottomStress = s.nodeEffStress[2];
        const double stressAtX =
            thickness > 0.0 ? topStress + (bottomStress - topStress) * x / thickness : topStress;
        means.stress = (stressAtX + topStress) / 2.0;
        means.strength = strength[1];
    }
    return means;
}

// Pile-soil compressibility mu. The tip area is taken in the small-length units of the diameter
// (in2 or mm2); a row with nothing above it (x = 0, or no strength) has mu = 0.
double compressibility(const InputData& in, double x, double meanStrength) {
    const bool english = in.unitSystem == kEnglish;
    const double area = in.tipArea > sp(1.0e-4)
                            ? in.tipArea * smallAreaPerArea(in.unitSystem)
                            : sp(0.7853975) * (in.outsideDiameter * in.outsideDiameter -
                                               in.enhancedEndInsideDiameter * in.enhancedEndInsideDiameter);
    const double f1 = english ? sp(3141.59) : sp(3141590.1);
    const double f2 = english ? sp(0.1) : sp(2.54);
    const double numerator = in.outsideDiameter * f1 * (x * x) * meanStrength;
    if (numerator == 0.0) return 0.0;
    // A pile without a modulus (0, or -0 as written) is compressible without end.
    const double stiffness = area * in.elasticModulus * f2;
    if (!(stiffness > 0.0)) return std::numeric_limits<double>::infinity();
    return numerator / stiffness;
}

double lambdaFactor(double mu, double meanStrength, double meanStress) {
    if (mu == 0.0) return 0.0;
    double lambda = meanStrength / meanStress < sp(0.4) ? sp(0.178) - sp(0.016) * std::log(mu)
                                                          : sp(0.232) - sp(0.032) * std::log(mu);
    if (lambda < sp(0.14)) lambda = sp(0.14);
    return lambda;
}

}  // namespace

void computeRevisedLambdaMethod(AnalysisState& s) {
    const InputData& in = s.input;
    const int segments = std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
    const int rows = std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows));

    // Segment strength: the undrained strength in cohesive soil, K sigma' tan(phi) at the mean of
    // the node stresses in sand. A zero K becomes 1, and stays 1 for the methods that follow.
    SegmentArray strength;
    for (int i = 1; i <= segments; ++i) {
        if (s.segLateralK[i] == 0.0) s.segLateralK[i] = 1.0;
        const double k = s.segLateralK[i];
        if (s.segSoilType[i] - 1.0 > 0.0) {
            strength[i] = s.segShearStrength[i];
        } else {
            const double phi = s.segFrictionAngle[i] / sp(57.2958);
            strength[i] = k * 0.5 * (s.nodeEffStress[2 * i - 1] + s.nodeEffStress[2 * i]) * std::tan(phi);
        }
    }

    // Segments that end within the zero-friction length carry their stress but no strength.
    double runningBottom = 0.0;
    for (int i = 1; i <= segments; ++i) {
        runningBottom += thicknessOf(s, i);
        if (runningBottom - in.zeroFrictionLength > sp(1.0e-6)) break;
        strength[i] = 0.0;
    }

    SegmentArray stressIntegral;
    SegmentArray strengthIntegral;
    for (int i = 1; i <= segments; ++i) {
        const double thickness = thicknessOf(s, i);
        stressIntegral[i] = thickness * (s.nodeEffStress[2 * i - 1] + s.nodeEffStress[2 * i]) / 2.0;
        strengthIntegral[i] = strength[i] * thickness;
    }
    SegmentArray stressAbove;  // over segments 1..i-1
    SegmentArray strengthAbove;
    stressAbove[1] = 0.0;
    strengthAbove[1] = 0.0;
    for (int i = 2; i <= segments; ++i) {
        stressAbove[i] = stressAbove[i - 1] + stressIntegral[i - 1];
        strengthAbove[i] = strengthAbove[i - 1] + strengthIntegral[i - 1];
    }
    const SegmentWalk walk(s);
    int hint = 1;  // the segment of the last row's tip

    const double perimeter = sp(3.14159) * (in.outsideDiameter / smallLengthPerLength(in.unitSystem));
    const bool tension = in.loadingType == 1;
    const double shaftPerRow = perimeter * in.lengthIncrement;

    // Row by row: the total from lambda, its growth as the row's unit friction. In tension the
    // stored friction is reduced while the total that the growth is measured from is not.
    double unreducedTotal = 0.0;
    double previousUnitFriction = 0.0;  // limited, unreduced
    for (int k = 1; k <= rows; ++k) {
        const double x = (k - 1) * s.depthIncrement;
        const int seg = segmentOfRow(s, k);
        s.rowMaxUnitFriction[k] = s.segMaxUnitFriction[seg];

        const PenetrationMeans means = meansOverPenetration(s, walk, hint, x, strength, stressAbove, strengthAbove);
        const double mu = compressibility(in, x, means.strength);
        const double lambda = lambdaFactor(mu, means.strength, means.stress);
        const double total = lambda * (means.stress + 2.0 * means.strength) * perimeter * x;

        double unitFriction = 0.0;
        if (shaftPerRow > 0.0) {
            if (k == 1) {
                unitFriction = total / perimeter / in.lengthIncrement;
            } else {
                unitFriction = (total - unreducedTotal) / perimeter / in.lengthIncrement;
                if (unitFriction < sp(1.0e-7)) unitFriction = previousUnitFriction;
            }
        }
        const double limited = std::min(unitFriction, s.rowMaxUnitFriction[k]);
        double growth = in.lengthIncrement * perimeter * limited;
        unreducedTotal += growth;
        previousUnitFriction = limited;

        s.rowUnitFriction[k] = limited;
        if (tension) {
            s.rowUnitFriction[k] *= in.tensionReductionFactor;
            growth *= in.tensionReductionFactor;
        }
        s.rowSkinFriction[k] = k == 1 ? growth : s.rowSkinFriction[k - 1] + growth;
        s.rowTransferSkinFriction[k] = s.rowSkinFriction[k];
    }

    // LRFD factor on unit friction, applied to the growth of each row.
    for (int k = 1; k <= rows; ++k) {
        const double factor = s.segLrfdFrictionFactor[segmentOfRow(s, k)];
        s.rowFactoredSkinFriction[k] =
            k == 1 ? factor * s.rowSkinFriction[1]
                   : s.rowFactoredSkinFriction[k - 1] + (s.rowSkinFriction[k] - s.rowSkinFriction[k - 1]) * factor;
    }
    for (int k = 1; k <= rows; ++k) {
        s.rowSkinFriction[k] = s.rowFactoredSkinFriction[k];
        if (in.reducedSideFriction == 1) s.rowTransferSkinFriction[k] = s.rowFactoredSkinFriction[k];
    }
}

}  // namespace vorta
