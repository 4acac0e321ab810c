// Design charts of the FHWA method: the delta/phi ratio by pile type, the Nordlund K-delta charts,
// the correction factor C-F and the Tomlinson adhesion curves. Pure functions of their arguments.
#pragma once

namespace vorta {

// delta/phi against the displaced volume V (ft3 per ft of pile) for pile types 1..7. A type
// outside 1..7 has no chart row and gives 0 (no wall friction).
double frictionAngleRatio(double displacedVolume, int pileType);

// K-delta for phi = 25, 30, 35 and 40 degrees against the taper angle omega (degrees) and the
// displaced volume V (ft3/ft): the curves for V = 0.1, 1.0 and 10.0, blended linearly in V.
double kDeltaChart25(double taperAngle, double displacedVolume);
double kDeltaChart30(double taperAngle, double displacedVolume);
double kDeltaChart35(double taperAngle, double displacedVolume);
double kDeltaChart40(double taperAngle, double displacedVolume);

// The correction factor C-F on K-delta for a delta/phi ratio and a friction angle (degrees).
double kDeltaCorrection(double ratio, double frictionAngle);

// Tomlinson adhesion factor alpha against the undrained shear strength su (ksf) and the
// penetration ratio b: case 1 clay under a cohesionless layer, case 2 clay under a soft clay,
// case 3 stiff clay.
double adhesionCase1(double su, double penetrationRatio);
double adhesionCase2(double su, double penetrationRatio);
double adhesionCase3(double su, double penetrationRatio);

}  // namespace vorta
