#include "sounding_rules.h"

#include <cmath>
#include <cstdio>

#include "text_input.h"
#include "vorta/units.h"

namespace vorta::datain {

SoundingRules::SoundingRules(const std::string& fileName, ColumnFactors factors, std::optional<double> preExcavatedDepth)
    : fileName_(fileName), factors_(factors), preExcavatedDepth_(preExcavatedDepth) {}

void SoundingRules::note(const std::string& what, int line) {
    const auto [it, added] = noteIndex_.emplace(what, notes_.size());
    if (added) notes_.push_back({what, {}});
    // Records that share a line (a record separator) name it once.
    std::vector<int>& lines = notes_[it->second].lines;
    if (lines.empty() || lines.back() != line) lines.push_back(line);
}

// A value in the analysis's unit; one too large to hold there stops the file.
double SoundingRules::converted(double value, double factor, int line, std::string_view what) const {
    const double v = convertedValue(value, factor);
    if (!std::isfinite(v)) {
        char found[32];
        std::snprintf(found, sizeof found, "%g", value);
        throw InputError(at(fileName_, line, "data") + "expected a " + std::string(what) +
                         " that a number can hold in the analysis's units, found " + found);
    }
    return v;
}

void SoundingRules::add(const CptRow& row) {
    if (row.depth.isVoid) return note("void depth: row skipped", row.line);
    const double depth = converted(row.depth.value, factors_.depth, row.line, "depth");
    if (depth < 0.0) return note("negative depth (above the ground surface): row skipped", row.line);
    if (preExcavatedDepth_ && depth < *preExcavatedDepth_) {
        return note("depth above the pre-excavated depth: row skipped", row.line);
    }
    if (row.coneResistance.isVoid) return note("void cone resistance: row skipped", row.line);
    if (row.coneResistance.value < 0.0) return note("negative cone resistance: row skipped", row.line);
    if (!points_.empty()) {
        const double last = points_.back().depth;
        if (depth == last) return note("depth repeats the row before: row skipped (the first reading kept)", row.line);
        if (depth < last) return note("depth goes back up above the deepest row before it: row skipped", row.line);
    }
    CptPoint p;
    p.depth = depth;
    p.coneResistance = converted(row.coneResistance.value, factors_.coneResistance, row.line, "cone resistance");
    if (row.sleeveFriction.present) {
        if (row.sleeveFriction.isVoid) note("void sleeve friction: point kept without it", row.line);
        else p.sleeveFriction = converted(row.sleeveFriction.value, factors_.sleeveFriction, row.line, "sleeve friction");
    }
    if (row.porePressure.present) {
        if (row.porePressure.isVoid) note("void pore pressure: point kept without it", row.line);
        else p.porePressure = converted(row.porePressure.value, factors_.porePressure, row.line, "pore pressure");
    }
    points_.push_back(p);
}

void SoundingRules::finish(CptReading& reading, int every, int firstDataLine) {
    if (points_.empty()) {
        std::string why;
        for (const CptNote& n : notes_) why += "; " + std::to_string(n.lines.size()) + " rows: " + n.what;
        throw InputError(at(fileName_, firstDataLine, "data") + "expected rows that give a depth and a cone resistance, found none" +
                         (why.empty() ? std::string(" (the file ends with its header)") : why));
    }
    if (every > 1) {
        std::vector<CptPoint> kept;
        for (std::size_t i = 0; i < points_.size(); ++i) {
            if (i % static_cast<std::size_t>(every) == 0 || i + 1 == points_.size()) kept.push_back(points_[i]);
        }
        notes_.push_back({"one point in every " + std::to_string(every) + " kept, and the last: " + std::to_string(kept.size()) +
                              " of " + std::to_string(points_.size()) + " points",
                          {}});
        points_ = std::move(kept);
    }
    reading.sounding.points = std::move(points_);
    reading.notes = std::move(notes_);
}

double columnFactor(const std::string& where, std::string_view column, std::string_view unit, bool length,
                    UnitSystem units) {
    const UnitKind kind = length ? UnitKind::Length : UnitKind::Stress;
    const std::optional<UnitInfo> u = findUnit(unit);
    if (!u || u->kind != kind) {
        throw InputError(where + "expected a " + (length ? "length" : "stress") + " unit for the " + std::string(column) +
                         " (" + unitNames(kind) + "), found " + quotedText(unit));
    }
    const std::string_view target = length ? (units == UnitSystem::English ? "ft" : "m")
                                           : (units == UnitSystem::English ? "psf" : "kPa");
    return *unitFactor(u->name, target);
}

}  // namespace vorta::datain
