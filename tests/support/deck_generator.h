// A deterministic generator of input data files and CPT files for the round-trip tests: decks of
// a pipe, timber, concrete or H-pile in profiles of 2 to 9 points, with the odd things a deck can
// state (points that do not pair into layers, switches other than 0 and 1, counts of -1 to 4).
#pragma once

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vorta::test {

// A deterministic generator of decks. Numbers are written in the forms the reader takes (plain,
// with a decimal point, with E, D or a bare signed exponent) and with more digits than a float holds.
class DeckGenerator {
public:
    explicit DeckGenerator(std::uint32_t seed) : random_(seed) {}

    int pick(int lo, int hi) { return lo + static_cast<int>(random_() % static_cast<std::uint32_t>(hi - lo + 1)); }
    double real(double lo, double hi) { return lo + (hi - lo) * (random_() / 4294967296.0); }

    std::string number(double v) {
        std::ostringstream s;
        switch (pick(0, 4)) {
            case 0: s.precision(17); s << v; break;
            case 1: s.precision(6); s << std::fixed << v; break;
            case 2: s.precision(12); s << std::scientific << v; break;
            case 3: { s.precision(9); s << std::scientific << v; std::string t = s.str(); t[t.find('e')] = 'D'; return t; }
            default: { s.precision(3); s << std::scientific << v; std::string t = s.str(); t.erase(t.find('e'), 1); return t; }
        }
        return s.str();
    }

    // Decks of a pipe, timber or H-pile in a profile of 2 to 9 points, with optional tables.
    std::pair<std::string, std::string> deck() {
        std::ostringstream d;
        const bool si = pick(0, 1) == 1;
        const double scale = si ? 0.3048 : 1.0;
        const int points = pick(2, 9);
        const int type = std::vector<int>{1, 1, 2, 3, 6}[static_cast<std::size_t>(pick(0, 4))];
        const double diameter = si ? real(300, 900) : real(12, 36);
        const double length = real(20, 50) * scale;
        const double increment = (pick(0, 1) ? 1.0 : 0.5) * scale;
        const double bottom = length + real(8, 20) * scale;
        d << "GENERATED DECK " << points << " POINTS\nDESIGNER\nJOB\n";
        d << (si ? 2 : 1) << " " << pick(1, 3) << " " << points << " " << pick(0, 1) << "\n";
        const double perimeter = type == 6 || (type == 3 && pick(0, 1)) ? diameter * 3.3 : 0.0;
        // The tip area in in2 or m2 (mm2 / 1E+6).
        d << number(perimeter) << " " << number(perimeter > 0 ? diameter * diameter / 2.5 * (si ? 1.0e-6 : 1.0) : 0.0) << " "
          << number(diameter) << " " << number(type == 1 ? diameter * 0.94 : 0.0) << " "
          << number(si ? 2.0e8 : 2.9e7) << " " << number(length) << " " << number(real(0, 3) * scale) << "\n";
        d << "0 0 " << number(pick(0, 3) == 0 ? real(0, 8) : 0.0) << "\n";
        d << number(real(0, 3) * scale) << " " << number(increment) << " " << type << " "
          << number(type == 2 ? 0.3 : 0.0) << " " << pick(1, 4) << " " << pick(0, 2) << " " << pick(0, 2) << "\n";
        for (int m = 1; m <= 9; ++m) d << (pick(0, 5) == 0 ? 2 : pick(0, 1)) << " ";
        d << "\n" << number(bottom) << " " << number(real(0, 40)) << "\n";
        double depth = 0.0;
        for (int k = 1; k <= points; ++k) {
            const int soil = pick(1, 3);
            d << number(depth) << " " << soil << " " << number(pick(0, 1) ? real(0.5, 1.2) : 0.0) << " "
              << number(si ? real(8, 11) : real(50, 125)) << " " << number(soil == 2 ? 0.0 : real(26, 38)) << " "
              << number(pick(0, 3) == 0 ? real(10, 40) : 0.0) << "\n";
            d << number(pick(0, 1) ? real(500, 4000) : 0.0) << " " << number(pick(0, 1) ? real(1e4, 2e5) : 0.0) << " "
              << number(soil == 2 ? real(500, 3000) : 0.0) << " " << number(soil == 1 ? real(5, 40) : real(100, 900)) << " "
              << number(real(0, 4)) << " " << number(real(0, 40)) << " " << number(pick(0, 2) == 0 ? real(1e3, 1e5) : 0.0)
              << " " << number(real(0, 2000)) << " " << number(real(0, 9e4)) << " " << number(real(0.5, 1.0)) << " "
              << number(real(0.5, 1.0)) << " " << pick(0, 3) << " " << number(real(0, 0.3) * (si ? 25.4 : 1.0)) << " "
              << number(real(0, 0.9)) << "\n";
            // The next point: the same depth (a step), or below it; at the end the profile bottom.
            depth = k + 1 == points ? bottom : depth + (pick(0, 2) == 0 ? 0.0 : real(0.2, 12) * scale);
        }
        // Records 11 to 18 with switches 0, 1 or 2 and counts of -1 to 4.
        auto table = [&](int rows, int values, double lo, double hi) {
            const int flag = pick(0, 2);
            d << flag << "\n";
            if (flag != 1) return;
            const int count = pick(-1, rows);
            d << count << "\n";
            for (int i = 0; i < count; ++i) {
                for (int v = 0; v < values; ++v) d << number(real(lo, hi) * (v == 0 ? 1.0 : 0.02)) << " ";
                d << "\n";
            }
        };
        table(4, 1, 1, 30);
        d << pick(0, 1) << " " << number(real(0.5, 1)) << "\n" << pick(0, 1) << " " << pick(0, 2) << " " << pick(0, 1) << "\n";
        const int areas = pick(0, 3);
        d << areas << " " << pick(0, 2) << "\n";
        for (int i = 0; i < areas; ++i) d << number(i * length / 2) << " " << number(real(10, 40)) << "\n";
        d << pick(0, 2) << " " << number(real(5, 20) * scale) << "\n";
        const int modifierFlag = pick(0, 2);
        d << modifierFlag << "\n";
        if (modifierFlag == 1) {
            const int count = pick(-1, 3);
            d << count << "\n";
            for (int i = 0; count > 1 && i < count; ++i) d << number(i * 15.0) << " " << number(real(0.5, 1.5)) << " " << number(real(0.5, 1.5)) << "\n";
        }
        const int tipFlag = pick(0, 2);
        d << tipFlag << "\n";
        if (tipFlag == 1) {
            const int count = pick(0, 4);
            d << count << "\n";
            for (int i = 1; i <= count; ++i) d << number(i * (si ? 0.004 : 0.15)) << "\n";
        }
        const int factorFlag = pick(0, 2);
        d << factorFlag << "\n";
        if (factorFlag == 1) d << number(real(0.5, 1.5)) << " " << number(real(0.5, 1.5)) << "\n";

        std::ostringstream c;
        const int cptPoints = pick(0, 6);
        c << pick(0, 3) << " " << cptPoints << "\n";
        for (int i = 0; i < cptPoints; ++i) c << number(i * 5.0 * scale) << " " << number(real(1e3, 9e4)) << "\n";
        return {d.str(), c.str()};
    }

private:
    std::mt19937 random_;
};

}  // namespace vorta::test
