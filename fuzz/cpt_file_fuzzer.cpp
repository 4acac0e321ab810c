// libFuzzer target: the readers of CPT files of other programs (GEF, AGS4, CSV) on any text.
//
// The first byte of the fuzz input chooses how the file is read: bits 0-1 the format (0: by its
// content, 1 GEF, 2 AGS4, 3 CSV), bit 2 the units (English or SI), bit 3 a location and column
// names to look for, bits 4-5 every n-th point (1 to 4); the rest is the file's text.
//
// What must hold for any text: no crash, no sanitizer report, no hang; either an InputError whose
// message names the file, or points in increasing depth from the ground surface down, every value
// finite and qc not negative, and notes that name their lines in increasing order.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vorta/cpt_files.h"

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "vorta_fuzz_cpt: %s\n", what.c_str());
    std::abort();
}

void checkReading(const vorta::CptReading& r) {
    double last = -1.0;
    for (const vorta::CptPoint& p : r.sounding.points) {
        if (!std::isfinite(p.depth) || !std::isfinite(p.coneResistance)) fail("a point that is not finite");
        if (r.format != vorta::CptFormat::Engine) {
            if (p.depth < 0.0 || p.depth <= last) fail("depths that do not increase from the surface down");
            if (p.coneResistance < 0.0) fail("a negative cone resistance kept");
        }
        if (p.sleeveFriction && !std::isfinite(*p.sleeveFriction)) fail("a sleeve friction that is not finite");
        if (p.porePressure && !std::isfinite(*p.porePressure)) fail("a pore pressure that is not finite");
        last = p.depth;
    }
    for (const vorta::CptNote& n : r.notes) {
        if (n.what.empty()) fail("a note that says nothing");
        for (std::size_t i = 1; i < n.lines.size(); ++i) {
            if (n.lines[i] <= n.lines[i - 1]) fail("a note's lines out of order");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t how = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    vorta::CptReadOptions options;
    switch (how & 3) {
        case 1: options.format = vorta::CptFormat::Gef; break;
        case 2: options.format = vorta::CptFormat::Ags4; break;
        case 3: options.format = vorta::CptFormat::Csv; break;
        default: break;
    }
    options.units = (how & 4) != 0 ? vorta::UnitSystem::English : vorta::UnitSystem::SI;
    if ((how & 8) != 0) {
        options.location = "CPT01";
        options.depthColumn = "z";
        options.qcColumn = "qc";
    }
    options.every = 1 + ((how >> 4) & 3);
    try {
        checkReading(vorta::readCptText(text, "fuzz.txt", options));
    } catch (const vorta::InputError& e) {
        if (std::string_view(e.what()).substr(0, 8) != "fuzz.txt") fail(std::string("a message that does not name the file: ") + e.what());
    }
    return 0;
}
