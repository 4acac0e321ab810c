// The rules that turn a file's rows into the points of a sounding, the same for every format: the
// values converted to the analysis's units, the rows that cannot give a point skipped with a note.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/cpt_files.h"

namespace vorta::datain {

// A value of a row as the file gives it.
struct RowValue {
    bool present = false;  // false: the file has no such column
    bool isVoid = false;   // the column's void value or an empty field
    double value = 0.0;    // in the column's unit
};

struct CptRow {
    int line = 0;
    RowValue depth;
    RowValue coneResistance;
    RowValue sleeveFriction;
    RowValue porePressure;
};

// The factor of each column from its unit to the analysis's unit (ft or m; psf or kPa).
struct ColumnFactors {
    double depth = 1.0;
    double coneResistance = 1.0;
    double sleeveFriction = 1.0;
    double porePressure = 1.0;
};

class SoundingRules {
public:
    // `preExcavatedDepth`: rows above it are skipped (in the analysis's length unit).
    SoundingRules(const std::string& fileName, ColumnFactors factors, std::optional<double> preExcavatedDepth = std::nullopt);

    // A row of the file, in the order of the file.
    void add(const CptRow& row);

    // The points kept (every n-th of them and the last) and the notes, in the order of their first
    // line. Throws InputError when no row gives a point.
    void finish(CptReading& reading, int every, int firstDataLine);

private:
    void note(const std::string& what, int line);
    double converted(double value, double factor, int line, std::string_view what) const;

    std::string fileName_;
    ColumnFactors factors_;
    std::optional<double> preExcavatedDepth_;
    std::vector<CptPoint> points_;
    std::vector<CptNote> notes_;
    std::map<std::string, std::size_t> noteIndex_;
};

// The unit factor of a column, or an InputError naming the line where the column's unit is
// stated and what was expected.
double columnFactor(const std::string& where, std::string_view column, std::string_view unit, bool length,
                    UnitSystem units);

}  // namespace vorta::datain
