// Units of measurement: the units that analyses and CPT files state, the factors between them, and
// an analysis converted as a whole between English and SI units.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vorta/analysis.h"

namespace vorta {

// What a unit measures; a factor exists only between units of the same kind.
enum class UnitKind { Length, Stress, UnitWeight, Area, Angle, Percent, Force };

struct UnitInfo {
    std::string_view name;  // as the field tables and the messages write it: "m", "MPa", "kN/m3"
    UnitKind kind;
    double inBase;          // the size of the unit in m, kPa, kN/m3, m2, degrees or percent
};

// The unit of a name as a file writes it ("m", "MPa", "kN/m2", "kN/m²", "psf", "lb/ft3", ...):
// letter case, blanks and dots are ignored ("KPA", "k Pa", "kPa." are kPa). Nothing for a name
// that is not a unit this program knows.
std::optional<UnitInfo> findUnit(std::string_view name);

// The names of the units of a kind, for the messages that list them ("m, cm, mm, ft, in").
std::string unitNames(UnitKind kind);

// The factor that takes a value from one unit to another ("ft" to "m": 0.3048). Nothing when a
// name is not a unit or the two measure different things. Two empty names (a value without a
// unit) give 1.
std::optional<double> unitFactor(std::string_view from, std::string_view to);

// A value times a conversion factor, rounded to the fewest significant digits, nine or more, that
// convert back to the value itself: far below any printed digit, 4.2 MPa comes out as 4200 kPa (not
// 4200.0000000000005), and 914 mm as 35.98425197 in, which converts back to 914 mm.
double convertedValue(double value, double factor);

// The analysis with every value in the other unit system, each by the unit of its field in the
// field tables (the CPT sounding too: its sleeve friction and pore pressure in the unit of its
// cone resistance). Codes, ratios, angles and zeros ("not given") stay as they are; so does the
// no-limit marker 9999999 of the maximum unit friction and bearing. Soil column 17 is the FHWA
// adhesion case on clay and silt points (kept as it is, but SI thousands, 3000 for case 3, become
// the plain case in English) and the reference tip movement of the USACE tip curve on sand points
// (in or mm); on a silt point it is taken as the movement when the USACE curves drive the load
// transfer and FHWA is not selected.
// A sounding read from an input data file's CPT file (which states no unit) is put inline.
// An analysis already in `to` is returned as it is; a unit system other than English or SI
// throws InputError.
Analysis convertUnits(const Analysis& analysis, UnitSystem to);

}  // namespace vorta
