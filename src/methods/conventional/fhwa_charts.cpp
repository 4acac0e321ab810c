// Design charts of the FHWA method, digitised from the Nordlund and Tomlinson design curves.
#include "methods/conventional/fhwa_charts.h"

#include "capacity/piecewise_table.h"
#include "engine/constants.h"

namespace vorta {
namespace {

// ---- delta/phi by displaced volume, one column per pile type ----

constexpr double kVolumePoints[13] = {0.08, 0.10, 0.20, 0.30, 0.40, 0.52, 0.60, 0.80, 1.00, 1.20, 1.40, 1.60, 1.90};

constexpr PiecewiseLinearTable<13> kRatioByType[7] = {
    // 1 steel pipe or non-tapered monotube
    {kVolumePoints, {0.342, 0.342, 0.342, 0.342, 0.410, 0.476, 0.516, 0.593, 0.652, 0.697, 0.733, 0.763, 0.798}},
    // 2 timber
    {kVolumePoints, {0.404, 0.404, 0.404, 0.404, 0.466, 0.527, 0.562, 0.637, 0.693, 0.734, 0.766, 0.793, 0.825}},
    // 3 precast concrete
    {kVolumePoints, {0.466, 0.466, 0.466, 0.466, 0.525, 0.590, 0.630, 0.708, 0.767, 0.813, 0.848, 0.877, 0.914}},
    // 4 Raymond step-taper
    {kVolumePoints, {0.571, 0.571, 0.571, 0.571, 0.637, 0.699, 0.736, 0.814, 0.873, 0.917, 0.953, 0.985, 1.024}},
    // 5 Raymond uniform taper
    {kVolumePoints, {0.801, 0.801, 0.801, 0.801, 0.845, 0.895, 0.925, 0.994, 1.053, 1.110, 1.159, 1.207, 1.270}},
    // 6 H-pile
    {kVolumePoints, {0.727, 0.747, 0.827, 0.8875, 0.933, 0.972, 0.980, 0.980, 0.980, 0.980, 0.980, 0.980, 0.980}},
    // 7 tapered portion of monotube
    {kVolumePoints, {0.643, 0.643, 0.643, 0.643, 0.696, 0.757, 0.792, 0.860, 0.916, 0.958, 0.994, 1.024, 1.062}},
};

// ---- K-delta: three curves (V = 0.1, 1.0 and 10.0 ft3/ft) against the taper angle ----

template <std::size_t N>
struct KDeltaChart {
    PiecewiseLinearTable<N> volumeTenth;  // V = 0.1
    PiecewiseLinearTable<N> volumeOne;    // V = 1.0
    PiecewiseLinearTable<N> volumeTen;    // V = 10.0

    // The curves read at omega, then linear in V between the two curves that bound it (1.0
    // belongs to the upper interval); the outer curves hold beyond 0.1 and 10.0.
    double operator()(double omega, double volume) const {
        const double atTenth = volumeTenth(omega);
        const double atOne = volumeOne(omega);
        const double atTen = volumeTen(omega);
        const double tenth = sp(0.1);
        if (volume <= tenth) return atTenth;
        if (volume >= 10.0) return atTen;
        if (volume < 1.0) return atTenth + (atOne - atTenth) * (volume - tenth) / (1.0 - tenth);
        return atOne + (atTen - atOne) * (volume - 1.0) / (10.0 - 1.0);
    }
};

constexpr double kOmega25[10] = {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.8, 1.0, 1.2};
constexpr KDeltaChart<10> kChart25{
    {kOmega25, {0.70, 0.739, 0.817, 0.922, 1.042, 1.194, 1.40, 1.808, 2.322, 2.917}},
    {kOmega25, {0.85, 0.902, 0.992, 1.085, 1.206, 1.353, 1.536, 1.886, 2.337, 2.917}},
    {kOmega25, {1.00, 1.05, 1.136, 1.237, 1.349, 1.478, 1.646, 1.944, 2.316, 2.917}},
};

constexpr double kOmega30[14] = {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.8, 1.0, 1.2, 1.4, 1.6, 1.8, 1.9};
constexpr KDeltaChart<14> kChart30{
    {kOmega30, {0.85, 1.043, 1.26, 1.551, 2.017, 2.56, 3.18, 4.332, 5.36, 5.934, 6.244, 6.399, 6.487, 6.494}},
    {kOmega30, {1.15, 1.408, 1.629, 1.958, 2.435, 2.928, 3.444, 4.421, 5.36, 5.934, 6.244, 6.399, 6.487, 6.494}},
    {kOmega30, {1.45, 1.745, 1.978, 2.339, 2.746, 3.18, 3.638, 4.499, 5.36, 5.934, 6.244, 6.399, 6.487, 6.494}},
};

constexpr double kOmega35[13] = {0, 0.1, 0.2, 0.25, 0.3, 0.4, 0.5, 0.6, 0.75, 0.88, 1.0, 1.11, 2.0};
constexpr KDeltaChart<13> kChart35{
    {kOmega35, {1.15, 1.47, 2.00, 2.32, 2.90, 4.18, 5.42, 6.81, 8.55, 9.75, 10.18, 10.34, 10.34}},
    {kOmega35, {1.75, 2.01, 2.59, 2.98, 3.56, 4.66, 5.65, 6.85, 8.55, 9.75, 10.18, 10.34, 10.34}},
    {kOmega35, {2.35, 2.76, 3.37, 3.72, 4.26, 5.19, 6.08, 7.12, 8.55, 9.75, 10.18, 10.34, 10.34}},
};

constexpr double kOmega40[10] = {0, 0.1, 0.15, 0.22, 0.3, 0.4, 0.43, 0.5, 0.56, 2.0};
constexpr KDeltaChart<10> kChart40{
    {kOmega40, {1.70, 5.12, 7.36, 10.56, 13.60, 15.84, 16.64, 17.28, 17.54, 17.54}},
    {kOmega40, {3.00, 6.352, 8.00, 10.56, 13.60, 15.84, 16.64, 17.28, 17.54, 17.54}},
    {kOmega40, {4.30, 7.04, 8.48, 10.56, 13.60, 15.84, 16.64, 17.28, 17.54, 17.54}},
};

// ---- C-F: one curve per delta/phi ratio against the friction angle ----

constexpr double kPhiPoints[9] = {14, 18, 22, 26, 30, 34, 38, 42, 45};
constexpr double kCorrectionRatios[6] = {0.2, 0.4, 0.6, 0.8, 1.0, 1.2};
constexpr PiecewiseLinearTable<9> kCorrectionCurves[7] = {
    {kPhiPoints, {0.83, 0.77, 0.71, 0.64, 0.58, 0.50, 0.42, 0.32, 0.24}},  // 0.2
    {kPhiPoints, {0.90, 0.85, 0.80, 0.74, 0.69, 0.63, 0.56, 0.49, 0.43}},  // 0.4
    {kPhiPoints, {0.95, 0.92, 0.89, 0.85, 0.82, 0.77, 0.72, 0.66, 0.62}},  // 0.6
    {kPhiPoints, {0.99, 0.98, 0.97, 0.95, 0.94, 0.92, 0.90, 0.87, 0.84}},  // 0.8
    {kPhiPoints, {1.00, 1.00, 1.00, 1.00, 1.00, 1.00, 1.00, 1.00, 1.00}},  // 1.0
    {kPhiPoints, {1.01, 1.02, 1.02, 1.02, 1.03, 1.05, 1.07, 1.09, 1.12}},  // 1.2
    {kPhiPoints, {1.02, 1.03, 1.03, 1.04, 1.06, 1.08, 1.10, 1.13, 1.16}},  // 1.4
};

// ---- Tomlinson adhesion curves against su (ksf) ----

constexpr double kSuPoints[10] = {0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5};
constexpr PiecewiseLinearTable<10> kCase1Below10{kSuPoints, {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}};
constexpr PiecewiseLinearTable<10> kCase1At20{kSuPoints, {1.0, 1.0, 1.0, 1.0, 0.95, 0.875, 0.75, 0.75, 0.75, 0.75}};
constexpr PiecewiseLinearTable<10> kCase1From40{kSuPoints, {1.0, 1.0, 0.9, 0.815, 0.68, 0.5, 0.44, 0.4, 0.4, 0.4}};
constexpr PiecewiseLinearTable<10> kCase2Below10{
    kSuPoints, {0.7, 0.519, 0.398, 0.334, 0.298, 0.272, 0.246, 0.226, 0.206, 0.186}};
constexpr PiecewiseLinearTable<10> kCase2From20{
    kSuPoints, {0.97, 0.84, 0.746, 0.694, 0.675, 0.656, 0.626, 0.599, 0.568, 0.54}};
constexpr PiecewiseLinearTable<10> kCase3Below10{
    kSuPoints, {1.0, 0.984, 0.923, 0.829, 0.688, 0.443, 0.303, 0.245, 0.238, 0.238}};
constexpr PiecewiseLinearTable<10> kCase3From40{
    kSuPoints, {1.0, 1.0, 1.0, 1.0, 0.9, 0.701, 0.502, 0.388, 0.315, 0.299}};

}  // namespace

double frictionAngleRatio(double displacedVolume, int pileType) {
    if (pileType < 1 || pileType > 7) return 0.0;
    return kRatioByType[pileType - 1](displacedVolume);
}

double kDeltaChart25(double taperAngle, double displacedVolume) { return kChart25(taperAngle, displacedVolume); }
double kDeltaChart30(double taperAngle, double displacedVolume) { return kChart30(taperAngle, displacedVolume); }
double kDeltaChart35(double taperAngle, double displacedVolume) { return kChart35(taperAngle, displacedVolume); }
double kDeltaChart40(double taperAngle, double displacedVolume) { return kChart40(taperAngle, displacedVolume); }

// A ratio at or below 0.2 reads the 0.2 curve; from 0.2 up to 1.2 the ratio is blended between
// the two curves that bound it (the lower one included); from 1.2 the 1.4 curve is read as it
// stands.
double kDeltaCorrection(double ratio, double frictionAngle) {
    if (ratio <= sp(kCorrectionRatios[0])) return kCorrectionCurves[0](frictionAngle);
    if (ratio >= sp(kCorrectionRatios[5])) return kCorrectionCurves[6](frictionAngle);
    int lower = 0;
    while (lower < 4 && ratio >= sp(kCorrectionRatios[lower + 1])) ++lower;
    const double r0 = sp(kCorrectionRatios[lower]);
    const double r1 = sp(kCorrectionRatios[lower + 1]);
    const double c0 = kCorrectionCurves[lower](frictionAngle);
    const double c1 = kCorrectionCurves[lower + 1](frictionAngle);
    return c0 + (c1 - c0) * (ratio - r0) / (r1 - r0);
}

double adhesionCase1(double su, double penetrationRatio) {
    const double b = penetrationRatio;
    if (b < 10.0) return kCase1Below10(su);
    if (b < 20.0) return kCase1At20(su) + (20.0 - b) * (kCase1Below10(su) - kCase1At20(su)) / 10.0;
    if (b < 40.0) return kCase1From40(su) + (40.0 - b) * (kCase1At20(su) - kCase1From40(su)) / 20.0;
    return kCase1From40(su);
}

double adhesionCase2(double su, double penetrationRatio) {
    const double b = penetrationRatio;
    if (b < 10.0) return kCase2Below10(su);
    if (b < 20.0) return kCase2Below10(su) + (b - 10.0) * (kCase2From20(su) - kCase2Below10(su)) / 10.0;
    return kCase2From20(su);
}

double adhesionCase3(double su, double penetrationRatio) {
    const double b = penetrationRatio;
    if (b < 10.0) return kCase3Below10(su);
    if (b < 40.0) return kCase3Below10(su) + (b - 10.0) * (kCase3From40(su) - kCase3Below10(su)) / 30.0;
    return kCase3From40(su);
}

}  // namespace vorta
