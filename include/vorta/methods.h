// The static capacity methods, one entry each: how the input selects a method, how the engine
// numbers it while computing, what a project file, a summary, the input echo and the result table
// call it, and whether it works from cone resistance. Everything that lists the methods reads this
// table.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace vorta {

// Selection index of a method: its place in the input's list of selected methods and in the
// report (element 0 of Methods::selected is FHWA, 8 is UWA).
enum class Method : int { Fhwa = 1, Usace = 2, RevisedLambda = 3, Api = 4, General = 5, Ngi = 6, Icp = 7, Fugro = 8, Uwa = 9 };
inline constexpr int kMethodCountInModel = 9;

struct MethodInfo {
    Method method;              // selection index (methodSelected, loadTransferMethod, report order)
    int code;                   // the engine's method code while it computes (currentMethod)
    std::string_view key;       // as a project file and Python write it
    std::string_view alias;     // another name accepted where a method is named; empty: none
    std::string_view name;      // in summaries and messages
    std::string_view echoText;  // the line of the input echo that lists it
    std::string_view title;     // the banner of its result table, without the stars
    // The banner box: its first column less one, and the blanks inside the box before and after
    // the title.
    int bannerIndent;
    int bannerBlanksBefore;
    int bannerBlanksAfter;
    bool cptBased;  // runs from cone resistance (NGI, ICP/MTD, Fugro, UWA)

    constexpr int selection() const { return static_cast<int>(method); }
};

inline constexpr std::array<MethodInfo, kMethodCountInModel> kMethodTable{{
    {Method::Fhwa, 1, "FHWA", "", "FHWA", "- FHWA (Federal Highway Administration)", "FED. HWY. METHOD", 28, 2, 2, false},
    {Method::Usace, 2, "USACE", "", "USACE", "- USACE (U.S. Army Corps of Engineers)", "ARMY CORPS METHOD", 28, 1, 2,
     false},
    {Method::RevisedLambda, 3, "Revised_Lambda", "", "Revised Lambda", "- Revised Lambda", "LAMBDA 2 METHOD", 28, 2, 3,
     false},
    {Method::Api, 4, "API_RP2A", "API", "API RP-2A", "- API RP 2A (American Petroleum Institute)", "API RP-2A (2010)",
     28, 2, 2, false},
    {Method::General, 9, "General", "", "General", "- Load-transfer Units specified by User", "GENERAL METHOD", 29, 1, 1,
     false},
    {Method::Ngi, 5, "NGI", "", "NGI", "- NGI (Norwegian Geotechnical Institute)",
     "NORWEIGIAN GEOTECHNICAL INSTITUTE (NGI) METHOD", 10, 2, 2, true},
    {Method::Icp, 6, "ICP_MTD", "ICP", "ICP/MTD", "- ICP/MTD (Imperial College of London)",
     "IMPERIAL COLLEGE (MTD) METHOD", 20, 2, 2, true},
    {Method::Fugro, 7, "Fugro", "", "Fugro", "- FUGRO (Offshore Driven Piles in Sand)", "FUGRO 2004 (FUGRO) METHOD", 20,
     4, 4, true},
    {Method::Uwa, 8, "UWA", "", "UWA", "- UWA (University of Western Australia)",
     "UNIV. OF WESTERN AUSTRALIA (UWA) METHOD", 13, 2, 2, true},
}};

// The entry of a selection index or of a method code; nullptr outside 1..9.
constexpr const MethodInfo* methodBySelection(int selection) {
    return selection >= 1 && selection <= kMethodCountInModel ? &kMethodTable[static_cast<std::size_t>(selection - 1)]
                                                              : nullptr;
}
constexpr const MethodInfo* methodByCode(int code) {
    for (const MethodInfo& m : kMethodTable) {
        if (m.code == code) return &m;
    }
    return nullptr;
}

}  // namespace vorta
