// Numeric conventions shared by every subsystem.
#pragma once

namespace vorta {

// A decimal constant as the engine holds it: the single-precision value of the literal, widened
// to double (sp(0.8) is 0.800000011920929). Every decimal literal in a formula goes through sp();
// integers and exact binary fractions may be written directly.
constexpr double sp(double literal) { return static_cast<double>(static_cast<float>(literal)); }

// Unit systems.
inline constexpr int kEnglish = 1;
inline constexpr int kSi = 2;

// The no-limit marker for maximum unit friction and maximum unit bearing.
inline constexpr double kNoLimit = 9999999.0;

// criticalDepth under the effective-stress rule when no node reaches the threshold: there is no
// critical depth within the profile, so nothing is limited and no end bearing is capped.
inline constexpr double kNoCriticalDepth = 1.0e30;

// Effective unit weights below which a soil point is taken to lie below the water table.
inline constexpr double kLightUnitWeightEnglish = 75.0;  // pcf
inline constexpr double kLightUnitWeightSi = 12.0;       // kN/m3

// Small length (in or mm) per length (ft or m).
constexpr double smallLengthPerLength(int unitSystem) { return unitSystem == kEnglish ? 12.0 : 1000.0; }

// Small area (in2 or mm2) per area (ft2 or m2).
constexpr double smallAreaPerArea(int unitSystem) { return unitSystem == kEnglish ? 144.0 : 1.0e6; }

// Atmospheric pressure in the stress unit (ksf or kPa) of the end-bearing and integration rules;
// 0 for an unknown unit flag.
constexpr double atmosphericPressure(int unitSystem) {
    return unitSystem == kEnglish ? sp(2.1168) : (unitSystem == kSi ? 100.0 : 0.0);
}

}  // namespace vorta
