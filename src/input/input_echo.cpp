// The input echo: the input written back in a fixed layout so that the engineer can verify what
// the engine understood, with the values it assumed or estimated marked. Three working values
// change on the way: the pile length becomes the embedded length, the batter is held in radians
// and the axial area is computed from the section when the user asked for it.
#include <string_view>

#include "capacity/soil_tables.h"
#include "engine/constants.h"
#include "input/input.h"
#include "vorta/methods.h"

namespace vorta {
namespace {

bool selected(const InputData& d, int index) { return d.methodSelected[index] == 1; }

void writeHeadingAndTitles(AnalysisState& s) {
    const InputData& d = s.input;
    s.report.write("(/,/,/,\"1\",/,10X,\"*********************\",/,10X,\"* INPUT INFORMATION *\",/,10X,"
                   "\"*********************\")");
    s.report.write("(/,/,/,10X,A70,/,/,10X,\"DESIGNER   : \",A60,/,/,10X,\"JOB NUMBER : \",A60)", d.title, d.designer,
                   d.jobNumber);
}

void writeMethods(AnalysisState& s) {
    const InputData& d = s.input;
    s.report.write("(/,/,10X,\"METHOD FOR UNIT LOAD TRANSFERS : \",/)");
    if (const MethodInfo* method = methodBySelection(d.loadTransferMethod)) {
        s.report.write("(10X,A)", method->echoText);
    }
    if (d.reducedSideFriction == 1) {
        s.report.write("(10X,\"  Reduced Unit Side Friction and \",\"Unit Side Resistance are used.\")");
    } else {
        s.report.write("(10X,\"  Unfactored Unit Side Friction and \",\"Unit Side Resistance are used.\")");
    }

    s.report.write("(/,/,/,10X,\"COMPUTATION METHOD(S) FOR PILE CAPACITY : \",/)");
    for (const MethodInfo& method : kMethodTable) {
        const int index = method.selection();
        if (!selected(d, index)) continue;
        s.report.write("(10X,A)", method.echoText);
        if (index == kSelUsace) {
            switch (d.criticalDepthMethod) {
                case 0:
                    s.report.write("(10X,\"  # Critical Depth Method for Sand:\",/,10X,"
                                   "\"    10 to 20 Pile Diameter based on the Density\")");
                    break;
                case 1:
                    s.report.write("(10X,\"  # Critical Depth Method for Sand:\",/,10X,"
                                   "\"    At Effective Stress Reaching 3,500 psf (185 kPa)\")");
                    break;
                case 2:
                    s.report.write("(10X,\"  # Critical Depth Method for Sand:\",/,10X,"
                                   "\"    At User-Specified Critical Depth =\",F10.2,1X,A3)",
                                   d.criticalDepth, s.unitLabels.length);
                    break;
                default:
                    break;
            }
            if (d.longPileOption == 1) s.report.write("(10X,\"  Use Long Pile Option\")");
        }
        if (index == kSelIcp) {
            if (d.icpDrainedClay == 1) {
                s.report.write("(10X,\"  # Use Drained Condition for Clay\")");
            } else {
                s.report.write("(10X,\"  # Use Undrained Condition for Clay\")");
            }
        }
    }
}

void writeLoading(AnalysisState& s) {
    const InputData& d = s.input;
    s.report.write("(/,/,10X,\"TYPE OF LOADING : \")");
    if (d.loadingType == 1) {
        s.report.write("(10X,\"- TENSION  \")");
        if (selected(d, kSelApi)) {
            s.report.write("(10X,\"  REDUCTION FACTOR FOR TENSION LOADING =\",F10.2)", d.tensionReductionFactor);
        }
    } else {
        s.report.write("(10X,\"- COMPRESSION  \")");
    }
}

void writeTipClosure(AnalysisState& s) {
    if (s.input.tipClosure == 0) {
        s.report.write("(10X,\"- Open-Ended Pile\")");
    } else if (s.input.tipClosure == 1) {
        s.report.write("(10X,\"- Close-Ended Pile\")");
    }
}

void writePileType(AnalysisState& s) {
    const InputData& d = s.input;
    s.report.write("(/,/,10X,\"PILE TYPE : \",/)");
    switch (d.pileType) {
        case 1:
            s.report.write("(10X,\"Steel pipe pile or \",\"non-tapered portion of monotube pile\")");
            writeTipClosure(s);
            break;
        case 2:
            s.report.write("(10X,\"Timber pile\")");
            break;
        case 3:
            if (d.perimeter != 0.0) {
                s.report.write("(10X,\"Precast concrete pile \",\"(Square/Rectangular/Orthogonal)\")");
            } else {
                s.report.write("(10X,\"Precast concrete pile (Circular/Tubular)\")");
                writeTipClosure(s);
            }
            break;
        case 4:
            s.report.write("(10X,\"Raymond step-taper pile\")");
            break;
        case 5:
            s.report.write("(10X,\"Raymond Uniform taper pile\")");
            break;
        case 6:
            s.report.write("(10X,\"H-Pile/Steel Pile\")");
            break;
        case 7:
            s.report.write("(10X,\"Tapered portion of Monotube pile\")");
            break;
        default:
            break;
    }
    const bool tapered = d.pileType == 2 || d.pileType == 4 || d.pileType == 5 || d.pileType == 7;
    if (selected(d, kSelApi) && tapered && d.taperAngle > 0.0) {
        s.report.write("(10X,\"Angle of taper for a tapered pile  (degrees) =\",F10.2)", d.taperAngle);
    }
}

// The area of the section for the axial stiffness when the user leaves it to the program.
double sectionArea(const InputData& d) {
    if (d.areaOption != 0) return d.crossSectionArea;
    if (d.pileType == 6 || (d.pileType == 3 && d.perimeter > 0.0)) return d.tipAreaAsRead;
    const double od = d.outsideDiameterAsRead;
    double area = 0.0;
    if (d.pileType == 1 || (d.pileType == 3 && d.perimeter == 0.0)) {
        area = sp(0.7854) * (od * od - d.insideDiameter * d.insideDiameter);
    } else {
        area = sp(0.7854) * (od * od);
    }
    if (d.unitSystem == kSi) area = area / (1000.0 * 1000.0);  // mm2 to m2
    return area;
}

void writeAxialStiffness(AnalysisState& s) {
    InputData& d = s.input;
    s.report.write("(/,/,10X,\"DATA FOR AXIAL STIFFNESS : \",/,/,10X,\"- MODULUS OF ELASTICITY     =\",E10.3,1X,A3)",
                   d.elasticModulus, s.unitLabels.modulus);
    if (d.areaOption >= 2) {
        s.report.write("(10X,\"- CROSS SECTION AREA ALONG PILE LENGTH\",/,10X,\" DIST.,\",A3,10X,\" AREA,\",A3)",
                       s.unitLabels.length, s.unitLabels.area);
        for (int i = 1; i <= d.areaRowCount; ++i) {
            s.report.write("(10X,F10.2,10X,F10.2)", d.areaTable[i].distance, d.areaTable[i].area);
        }
    } else {
        d.axialArea = sectionArea(d);
        s.report.write("(10X,\"- CROSS SECTION AREA        =\",F10.2,1X,A3)", d.axialArea, s.unitLabels.area);
    }
    d.pileLength = d.pileLength - d.stickupLength;  // the embedded length from here on
}

// Total length, batter, stickup and zero friction length, common to every pile.
void writeLengths(AnalysisState& s) {
    const InputData& d = s.input;
    const UnitLabels& u = s.unitLabels;
    s.report.write("(10X,\"- TOTAL PILE LENGTH, TL     =\",F10.2,1X,A3)", d.totalPileLengthAsRead, u.length);
    s.report.write("(10X,\"- BATTER ANGLE              =\",F10.2,1X,\"DEG\")", d.batterAngleAsRead);
    s.report.write("(10X,\"- PILE STICKUP LENGTH, PSL  =\",F10.2,1X,A3)", d.stickupLength, u.length);
    s.report.write("(10X,\"- ZERO FRICTION LENGTH, ZFL =\",F10.2,1X,A3)", d.zeroFrictionLength, u.length);
}

void writeIncrement(AnalysisState& s) {
    s.report.write("(10X,\"- INCREMENT OF PILE LENGTH\",/,10X,\"  USED IN COMPUTATION       =\",F10.2,1X,A3)",
                   s.input.lengthIncrement, s.unitLabels.length);
}

void writePileProperties(AnalysisState& s) {
    const InputData& d = s.input;
    const UnitLabels& u = s.unitLabels;
    if (d.pileType == 6 || (d.pileType == 3 && d.perimeter > 0.0)) {
        s.report.write("(/,/,10X,\"NONCIRCULAR PILE PROPERTIES : \",/)");
        writeLengths(s);
        s.report.write("(10X,\"- PERIMETER OF PILE         =\",F10.2,1X,A3)", d.perimeter, u.smallLength);
        s.report.write("(10X,\"- TIP AREA OF PILE          =\",F10.2,1X,A3)", d.tipAreaAsRead, u.area);
        writeIncrement(s);
        return;
    }

    s.report.write("(/,/,10X,\"CIRCULAR PILE PROPERTIES : \",/)");
    s.report.write("(10X,\"- OUTSIDE DIAMETER, OD      =\",F10.2,1X,A3)", d.outsideDiameterAsRead, u.smallLength);
    const bool pipeSection = d.pileType == 1 || (d.pileType == 3 && d.perimeter == 0.0);
    if (!pipeSection) {
        writeLengths(s);
        writeIncrement(s);
        return;
    }
    s.report.write("(10X,\"- INTERNAL DIAMETER, ID     =\",F10.2,1X,A3)", d.insideDiameter, u.smallLength);
    writeLengths(s);
    writeIncrement(s);
    if (d.pileType == 3 && d.tipClosure != 0) return;

    // pileLength holds the embedded length here.
    if (d.enhancedEndLength != d.pileLength) {
        s.report.write("(10X,\"- LENGTH OF ENHANCED \",/,10X,\"  END SECTION               =\",F10.2,1X,A3)",
                       d.enhancedEndLength, u.length);
        s.report.write("(10X,\"- INTERNAL DIAMETER OF \",/,10X,\"  ENHANCED END SECTION      =\",F10.2,1X,A3)",
                       d.enhancedEndInsideDiameter, u.smallLength);
    }
    s.report.write("(/,/,10X,\"PLUGGED/UNPLUGGED CONDITIONS : \")");
    switch (d.plugCondition) {
        case 0:
            s.report.write("(10X,\"Internal Pile Plug Calculated by Program\")");
            break;
        case 1:
            s.report.write("(10X,\"Plugged for open-ended pile\")");
            break;
        case 2:
            s.report.write("(10X,\"Unplugged for open-ended pile\")");
            break;
        default:
            break;
    }
}

std::string_view soilTypeText(double code, std::string_view previous) {
    if (code == 1.0) return "SAND";
    if (code == 2.0) return "CLAY";
    if (code == 3.0) return "SILT";
    return previous;  // an unknown code repeats the point above (blank for the first)
}

void writeSoilPoints(AnalysisState& s) {
    InputData& d = s.input;
    const UnitLabels& u = s.unitLabels;
    // The line under the heading is 10 blanks and a text of 53 blanks: 63 blank characters.
    s.report.write("(/,/,/,10X,\"SOIL INFORMATIONS :\",/,/,10X,\"                                                     \",/)");
    s.report.write("(10X,\"                  LATERAL    EFFECTIVE    FRICTION   BEARING\")");
    s.report.write("(10X,\"          SOIL    EARTH      UNIT         ANGLE      CAPACITY\")");
    s.report.write("(10X,\" DEPTH    TYPE    PRESSURE   WEIGHT       DEGREES    FACTOR\")");
    s.report.write("(10X,2X,A3,24X,A7)", u.length, u.unitWeight);
    d.batterAngle = d.batterAngle * sp(3.1415927) / 180.0;  // radians from here on

    // K and Nq that the user left at 0 are shown as the program takes them; nothing is stored.
    bool anyAssumedK = false;
    bool anyEstimatedNq = false;
    std::string_view typeText = "    ";
    for (int k = 1; k <= d.soilPointCount; ++k) {
        const SoilPoint& p = d.soilPoints[k];
        typeText = soilTypeText(p.column[kColSoilType], typeText);
        const bool assumedK = p.column[kColLateralK] == 0.0;
        const bool estimatedNq = p.column[kColBearingFactorNq] == 0.0;
        const double shownK = assumedK ? sp(0.8) : p.column[kColLateralK];
        const double shownNq =
            estimatedNq ? bearingFactorForAngle(p.column[kColFrictionAngle] - 5.0) : p.column[kColBearingFactorNq];
        anyAssumedK = anyAssumedK || assumedK;
        anyEstimatedNq = anyEstimatedNq || estimatedNq;
        if (assumedK || estimatedNq) {
            s.report.write("(10X,F7.2,3X,A4,F10.2,A2,F11.2,F13.2,F10.2,A2)", p.depth, typeText, shownK,
                           assumedK ? "* " : "  ", p.column[kColEffUnitWeight], p.column[kColFrictionAngle], shownNq,
                           estimatedNq ? "**" : "  ");
        } else {
            s.report.write("(10X,F7.2,3X,A4,F10.2,F13.2,F13.2,F10.2)", p.depth, typeText, shownK,
                           p.column[kColEffUnitWeight], p.column[kColFrictionAngle], shownNq);
        }
    }
    if (anyAssumedK || anyEstimatedNq) {
        s.report.writeLine("");
        if (anyAssumedK) s.report.write("(10X,\"*  VALUE ASSUMED BY THE PROGRAM \")");
        if (anyEstimatedNq) s.report.write("(10X,\"** VALUE ESTIMATED BY THE PROGRAM \",\"BASED ON FRICTION ANGLE\")");
    }
}

void writeLimitsAndStrengths(AnalysisState& s) {
    const InputData& d = s.input;
    const UnitLabels& u = s.unitLabels;
    s.report.write("(/,/,/,10X,\"MAXIMUM   MAXIMUM   UNDISTURB  REMOLDED \")");
    s.report.write("(10X,\"UNIT      UNIT      SHEAR      SHEAR     BLOW   UNIT SKIN  \",\"UNIT END\")");
    s.report.write("(10X,\"FRICTION  BEARING   STRENGTH   STRENGTH  COUNT  FRICTION   B\",\"EARING\")");
    s.report.write("(10X,2X,A3,7X,A3,8X,A3,7X,A3,15X,A3,7X,A3)", u.stress, u.stress, u.stress, u.stress, u.stress,
                   u.stress);
    bool anyUnlimited = false;
    for (int k = 1; k <= d.soilPointCount; ++k) {
        const SoilPoint& p = d.soilPoints[k];
        const bool frictionUnlimited = d.frictionUnlimited[k] == 1;
        const bool bearingUnlimited = d.bearingUnlimited[k] == 1;
        anyUnlimited = anyUnlimited || frictionUnlimited || bearingUnlimited;
        double userFriction = p.column[kColUserUnitFriction];
        double userBearing = p.column[kColUserUnitBearing];
        if (d.unitSystem == kEnglish) {
            userFriction = userFriction / 1000.0;
            userBearing = userBearing / 1000.0;
        }
        s.report.write("(9X,E9.2,A1,E9.2,A1,F11.2,F10.2,F7.2,F11.2,F10.2)", p.column[kColMaxUnitFriction],
                       frictionUnlimited ? "*" : " ", p.column[kColMaxUnitBearing], bearingUnlimited ? "*" : " ",
                       p.column[kColShearStrength], p.column[kColRemoldedStrength], p.column[kColBlowCountOrYsr],
                       userFriction, userBearing);
    }
    if (anyUnlimited) {
        s.report.write("(/,10X,\"* MAXIMUM UNIT FRICTION AND/OR MAXIMUM UNIT BEARING \","
                       "/,10X,\"  WERE SET TO BE 0.10E+08 BECAUSE THE USER DOES NOT \","
                       "/,10X,\"  PLAN TO LIMIT THE COMPUTED DATA.\")");
    }
}

void writeLrfdFactors(AnalysisState& s) {
    const InputData& d = s.input;
    s.report.write("(/,/,/,10X,\"         LRFD FACTOR  LRFD FACTOR    \")");
    s.report.write("(10X,\"          ON UNIT      ON UNIT       \")");
    s.report.write("(10X,\" DEPTH    FRICTION     BEARING   \")");
    s.report.write("(10X,2X,A3)", s.unitLabels.length);
    for (int k = 1; k <= d.soilPointCount; ++k) {
        const SoilPoint& p = d.soilPoints[k];
        s.report.write("(10X,F7.2,1X,F8.3,4X,F8.3)", p.depth, p.column[kColLrfdFrictionFactor],
                       p.column[kColLrfdBearingFactor]);
    }
}

void writeCptProperties(AnalysisState& s) {
    const InputData& d = s.input;
    s.report.write("(/,/,10X,\"                                                     \",/)");
    s.report.write("(10X,\"        PLASTIC    YIELD      Qc                             \")");
    s.report.write("(10X,\"         INDEX    STRESS     FROM                            \")");
    s.report.write("(10X,\" DEPTH     PI      RATIO     CPT                             \")");
    s.report.write("(10X,2X,A3,6X,\"%\",17X,A3)", s.unitLabels.length, s.unitLabels.stress);
    for (int k = 1; k <= d.soilPointCount; ++k) {
        const SoilPoint& p = d.soilPoints[k];
        double qc = p.column[kColPointQc];
        if (d.unitSystem == kEnglish) qc = qc / 1000.0;
        s.report.write("(10X,F7.2,1X,F6.2,3X,F6.2,3X,E10.3)", p.depth, p.column[kColPlasticityIndex],
                       p.column[kColBlowCountOrYsr], qc);
    }
}

}  // namespace

void writeInputEcho(AnalysisState& s) {
    s.report.section("THE INPUT ECHO");
    writeHeadingAndTitles(s);
    writeMethods(s);
    writeLoading(s);
    writePileType(s);
    writeAxialStiffness(s);
    writePileProperties(s);
    writeSoilPoints(s);
    writeLimitsAndStrengths(s);
    writeLrfdFactors(s);
    if (s.input.cptMethodsFlag > 0) writeCptProperties(s);
    s.report.write("(/,/,/,\"1\",/,10X,\"**********************\",/,10X,\"* COMPUTATION RESULT *\",/,10X,"
                   "\"**********************\")");
}

}  // namespace vorta
