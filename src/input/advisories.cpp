// Advisories: what a run quietly assumes where the input leaves a value out or states it oddly.
// None of them stops a run or changes its report; each names the value and says what the program
// took and what to check.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/constants.h"
#include "input/input.h"

namespace vorta {
namespace {

// A depth or another derived number in a sentence: at most two decimals, no trailing zeros.
std::string numberText(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string_view soilName(SoilType type) {
    const std::string_view name = choiceName(soilTypeNames(), static_cast<int>(type));
    return name.empty() ? "soil" : name;
}

// A layer of the profile as the advisories speak of it: the two points of a layer when the profile
// is given as layers, else the interval between two consecutive points (named by its upper point).
struct Layer {
    std::size_t top;
    std::size_t bottom;
    std::string name;  // "layers[2]", "soil_points[3]"
};

std::vector<Layer> layersOf(const std::vector<ProfilePoint>& points) {
    std::vector<Layer> layers;
    const bool paired = pairsIntoLayers(points);
    for (std::size_t k = 0; k + 1 < points.size(); k += paired ? 2 : 1) {
        layers.push_back({k, k + 1, (paired ? "layers[" + std::to_string(k / 2 + 1) : "soil_points[" + std::to_string(k + 1)) + "]"});
    }
    return layers;
}

class Advisories {
public:
    Advisories(const AnalysisState& s, const ValuePlaces& places, CheckedProblems& found)
        : s_(s), a_(places.analysis), places_(places), found_(found), points_(a_.soilProfile),
          layers_(layersOf(points_)), si_(a_.units == UnitSystem::SI) {
        const double embedded = a_.pile.length - a_.pile.stickup;
        tipDepth_ = embedded * std::cos(a_.pile.batterAngle * sp(3.1415927) / 180.0);
        diameter_ = s.input.outsideDiameter / smallLengthPerLength(s.input.unitSystem);
    }

    void all() {
        soilStrengths();
        layerGaps();
        sounding();
        waterTable();
        otherUnitSystem();
        tipMovementScale();
    }

private:
    // Clay with no strength and sand with neither a friction angle nor a blow count, in the layers
    // that reach the pile or its tip zone.
    void soilStrengths() {
        for (const Layer& l : layers_) {
            const ProfilePoint& top = points_[l.top];
            const ProfilePoint& bottom = points_[l.bottom];
            if (!(top.depth < tipDepth_ + 1.5 * diameter_)) continue;
            auto neither = [&](double ProfilePoint::*member) { return !(top.*member > 0.0) && !(bottom.*member > 0.0); };
            if (top.soilType == SoilType::Clay && neither(&ProfilePoint::shearStrength) &&
                neither(&ProfilePoint::coneResistance)) {
                add("clay_without_strength", l, "shear_strength",
                    "has no undrained shear strength and no cone resistance to take one from: FHWA, USACE, API "
                    "RP-2A and NGI, which work from the strength, give it no unit friction and no end bearing; give "
                    "its shear_strength");
            }
            if (top.soilType == SoilType::Sand && neither(&ProfilePoint::frictionAngle) &&
                neither(&ProfilePoint::blowCountOrYieldStressRatio)) {
                add("sand_without_strength", l, "friction_angle",
                    "has neither a friction angle nor a blow count: it takes the friction angle estimated last "
                    "above it (0 at the top of the profile), and its unit friction and end bearing follow; give "
                    "its friction_angle or blow_count_or_yield_stress_ratio");
            }
        }
    }

    // Ground between two layers that no layer covers: the run interpolates across it (a gap of less
    // than half a length increment closes into a step).
    void layerGaps() {
        if (!points_.empty() && points_.front().depth > 0.0) {
            Problem& p = add("profile_starts_below_ground", 0, "depth",
                             "the soil profile begins at " + depthText(points_.front().depth) +
                                 " below the ground: the soil above it takes the values of the first layer, "
                                 "extended upward; give a layer from the ground down");
            p.value = points_.front().depth;
        }
        if (!pairsIntoLayers(points_)) return;
        for (std::size_t k = 1; k + 1 < points_.size(); k += 2) {
            const double gap = points_[k + 1].depth - points_[k].depth;
            if (!(gap >= 0.5 * a_.pile.lengthIncrement)) continue;
            const std::string above = "layers[" + std::to_string(k / 2 + 1) + "]";
            Problem& p = add("layer_gap", k + 1, "depth",
                             "between " + above + " (bottom at " + depthText(points_[k].depth) + ") and the next layer (top at " +
                                 depthText(points_[k + 1].depth) + ") lie " + depthText(gap) +
                                 " that no layer covers: the soil values there are interpolated between the two "
                                 "layers; add a layer or move its top");
            p.value = points_[k + 1].depth;
        }
    }

    // The sounding of the CPT-based methods: missing, out of depth order, or ending above the depth
    // they read. Where the layers give no cone resistance, the methods read the sounding (held at
    // its last point below it) or, without one, 2.8 pa times the yield stress ratio.
    void sounding() {
        const std::vector<CptPoint>& cpt = a_.cpt.points;
        for (std::size_t i = 1; i < cpt.size(); ++i) {
            if (!(cpt[i].depth < cpt[i - 1].depth)) continue;
            Problem& p = add("sounding_out_of_order", "cpt.points", static_cast<int>(i) + 1, "depth",
                             "cpt.points[" + std::to_string(i + 1) + "] at " + depthText(cpt[i].depth) +
                                 " lies above the point before it at " + depthText(cpt[i - 1].depth) +
                                 ": the cone resistance at a depth is read between the first point at or below it "
                                 "and the point before that, in the order given; give the points from the top down");
            p.value = cpt[i].depth;
            break;
        }
        if (!cptMethodsRun()) return;
        const double needed = tipDepth_ + 1.5 * diameter_;
        if (cpt.empty()) {
            if (!layersWithoutQc(0.0, needed)) return;
            add("no_sounding", "cpt.points", 0, "",
                "the CPT-based methods are selected but there is no CPT sounding: where a layer gives no cone "
                "resistance they take 2.8 pa times its yield stress ratio (0 where none is given); give the "
                "sounding");
            return;
        }
        const double end = std::max_element(cpt.begin(), cpt.end(), [](const CptPoint& x, const CptPoint& y) {
                               return x.depth < y.depth;
                           })->depth;
        if (!(end < needed - sp(1.0e-6)) || !layersWithoutQc(end, needed)) return;
        const std::string where = end < tipDepth_ ? depthText(tipDepth_ - end) + " above the pile tip at "
                                                  : "less than 1.5 diameters below the pile tip at ";
        Problem& p = add("sounding_ends_above_tip", "cpt.points", static_cast<int>(cpt.size()), "depth",
                         "the CPT sounding ends at " + depthText(end) + ", " + where + depthText(tipDepth_) +
                             ": below it the CPT-based methods take the cone resistance of its last point, " +
                             numberText(cpt.back().coneResistance) + " " + (si_ ? "kPa" : "psf") +
                             ", where the layers give none; extend the sounding to 1.5 diameters below the tip "
                             "or give the layers their cone resistance");
        p.value = end;
    }

    // In tension the self weight is buoyant below the first soil point lighter than 75 pcf
    // (12 kN/m3), which the program takes as the water table.
    void waterTable() {
        if (a_.loading.type != LoadingType::Tension) return;
        const double limit = si_ ? kLightUnitWeightSi : kLightUnitWeightEnglish;
        const std::string light = si_ ? "12 kN/m3" : "75 pcf";
        const auto first = std::find_if(points_.begin(), points_.end(),
                                        [&](const ProfilePoint& p) { return p.effectiveUnitWeight < limit; });
        if (first == points_.end() || !(first->depth < tipDepth_)) {
            add("water_table_from_unit_weight", "", 0, "",
                "in tension the self weight is taken dry down to the pile tip: no soil above it is lighter than " + light +
                    ", the unit weight below which the program takes the water table; check where the water "
                    "table lies");
            return;
        }
        const std::size_t k = static_cast<std::size_t>(first - points_.begin());
        Problem& p = add("water_table_from_unit_weight", "soil_profile", static_cast<int>(k) + 1, "effective_unit_weight",
                         "in tension the self weight is buoyant below " + depthText(first->depth) + ", the depth of " +
                             places_.of("soil_profile", static_cast<int>(k) + 1, "depth").text() +
                             ", the first soil lighter than " + light +
                             ", which the program takes as the water table; check that the water table lies there");
        p.value = first->effectiveUnitWeight;
    }

    // Values that no soil has in the unit system of the analysis but that read well in the other:
    // a strength in kPa in an English analysis or in psf in an SI one, a unit weight likewise.
    void otherUnitSystem() {
        struct Reading {
            std::string_view key;
            const char* words;
            double ProfilePoint::*member;
            double englishBelow;  // an English value below this reads as the SI unit
            double siAbove;       // an SI value above this reads as the English unit
            const char* englishUnit;
            const char* siUnit;
        };
        static constexpr Reading kReadings[] = {
            {"shear_strength", "shear strength", &ProfilePoint::shearStrength, 100.0, 1000.0, "psf", "kPa"},
            {"effective_unit_weight", "unit weight", &ProfilePoint::effectiveUnitWeight, 20.0, 25.0, "pcf", "kN/m3"},
        };
        // Layers, or each point of a profile not given as layers.
        std::vector<Layer> layers = layers_;
        if (!pairsIntoLayers(points_)) {
            layers.clear();
            for (std::size_t k = 0; k < points_.size(); ++k) layers.push_back({k, k, "soil_points[" + std::to_string(k + 1) + "]"});
        }
        for (const Reading& r : kReadings) {
            for (const Layer& l : layers) {
                const double values[2] = {points_[l.top].*r.member, points_[l.bottom].*r.member};
                if (r.key == "shear_strength" && points_[l.top].soilType == SoilType::Sand) continue;
                bool given = false;
                bool odd = true;
                for (double v : values) {
                    if (!(v > 0.0)) continue;
                    given = true;
                    odd = odd && (si_ ? v > r.siAbove : v < r.englishBelow);
                }
                if (!given || !odd) continue;
                const double shown = std::max(values[0], values[1]);
                Problem& p = add("value_in_other_unit_system", l, r.key,
                                 "gives a " + std::string(r.words) + " of " + numberText(shown) + " " +
                                     (si_ ? r.siUnit : r.englishUnit) + ", which no soil has but which reads as " +
                                     (si_ ? r.englishUnit : r.siUnit) + ": the analysis is in " + (si_ ? "SI" : "English") +
                                     " units; check the unit of the value");
                p.value = shown;
            }
        }
    }

    // Tip movements more than the pile diameter, or less than a thousandth of it, were stated in
    // the other length unit (an input data file states them in in or m, a project file in in or mm).
    void tipMovementScale() {
        const std::vector<double>& movements = a_.loadTransfer.tipMovements;
        if (movements.empty() || s_.input.tipMovementListFlag != 1) return;
        const double largest = *std::max_element(movements.begin(), movements.end());
        const double diameter = s_.input.outsideDiameter;  // in or mm, the unit of the movements
        const std::string unit = si_ ? "mm" : "in";
        std::string which;
        if (largest > diameter) which = "more than the pile diameter of " + numberText(diameter) + " " + unit;
        else if (largest > 0.0 && largest < 0.001 * diameter) which = "less than a thousandth of the pile diameter";
        else return;
        Problem& p = add("tip_movements_in_other_unit", "load_transfer.tip_movements", 0, "",
                         "the largest tip movement, " + numberText(largest) + " " + unit + ", is " + which +
                             ": tip movements are in " + unit + " (an input data file states them in " +
                             (si_ ? "m" : "in") + "); check their unit");
        p.value = largest;
        p.unit = unit;
    }

    bool cptMethodsRun() const { return a_.methods.cptMethods == 1 && a_.methods.selectsCptMethod(); }

    // Whether ground between two depths lies in a layer (an interval) without cone resistance at
    // either end.
    bool layersWithoutQc(double from, double to) const {
        for (std::size_t k = 0; k + 1 < points_.size(); ++k) {
            const ProfilePoint& upper = points_[k];
            const ProfilePoint& lower = points_[k + 1];
            if (!(lower.depth > from && upper.depth < to && lower.depth > upper.depth)) continue;
            if (!(upper.coneResistance >= sp(1.0e-5)) && !(lower.coneResistance >= sp(1.0e-5))) return true;
        }
        // Below the last point the last interval holds.
        return !points_.empty() && points_.back().depth < to && !(points_.back().coneResistance >= sp(1.0e-5));
    }

    std::string depthText(double v) const { return numberText(v) + (si_ ? " m" : " ft"); }

    // An advisory about a layer: "layers[3] (clay, 12 to 30 ft) <what>", or a point ("at 12 ft").
    Problem& add(std::string_view code, const Layer& l, std::string_view key, const std::string& what) {
        const ProfilePoint& top = points_[l.top];
        const std::string depths = l.top == l.bottom ? "at " + depthText(top.depth)
                                                     : numberText(top.depth) + " to " + depthText(points_[l.bottom].depth);
        Problem& p = add(code, "soil_profile", static_cast<int>(l.top) + 1, key,
                         l.name + " (" + std::string(soilName(top.soilType)) + ", " + depths + ") " + what);
        p.layerEnd.clear();  // the layer as a whole
        return p;
    }
    // An advisory about soil point k (from 0).
    Problem& add(std::string_view code, std::size_t k, std::string_view key, const std::string& message) {
        return add(code, "soil_profile", static_cast<int>(k) + 1, key, message);
    }
    Problem& add(std::string_view code, std::string_view part, int number, std::string_view key, const std::string& message) {
        CheckedProblem& found = found_.emplace_back();
        Problem& p = found.problem;
        p.severity = Severity::Advisory;
        p.code = std::string(code);
        if (!part.empty()) places_.locate(p, part, number, key);
        p.file = places_.file;
        p.message = message;
        return p;
    }

    const AnalysisState& s_;
    const Analysis& a_;
    const ValuePlaces& places_;
    CheckedProblems& found_;
    const std::vector<ProfilePoint>& points_;
    std::vector<Layer> layers_;
    bool si_;
    double tipDepth_ = 0.0;
    double diameter_ = 0.0;
};

}  // namespace

void findAdvisories(const AnalysisState& s, const ValuePlaces& places, CheckedProblems& found) {
    Advisories(s, places, found).all();
}

std::optional<Problem> unreadCptFileAdvisory(const std::filesystem::path& deck, const std::filesystem::path& cpt) {
    if (!cpt.empty() || deck.empty()) return std::nullopt;
    const std::filesystem::path beside = std::filesystem::path(deck).replace_extension(".cpt");
    std::error_code ec;
    if (beside == deck || !std::filesystem::is_regular_file(beside, ec)) return std::nullopt;
    Problem p;
    p.severity = Severity::Advisory;
    p.code = "cpt_file_not_read";
    p.path = "cpt.points";
    p.file = deck.string();
    p.message = "no CPT file was named, so the run has no sounding, while " + beside.filename().string() +
                " lies beside the input data file; name it with --cpt if it is this analysis's sounding";
    return p;
}

}  // namespace vorta
