// Soil-property charts of the end-bearing rules and the capacity integration: pure functions.
#pragma once

namespace vorta {

double bearingFactorForAngle(double delta);      // Nq by delta (degrees)
double limitingFrictionForAngle(double delta);   // limiting unit skin friction by delta, ksf
double usaceBearingFactor(double phi);           // Nq of the USACE rule
double fhwaBearingFactor(double phi);            // N'q of the FHWA rule
double fhwaLimitingBearing(double phi);          // limiting resistance of the FHWA rule, tsf
double fhwaAlphaT(double phi, double depthToDiameter);

}  // namespace vorta
