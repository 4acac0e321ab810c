// Placeholder bodies of the input subsystem until its readers and checks land.
#include "input/input.h"

namespace vorta {

void readInputData(AnalysisState&, FreeFormatReader&) {}
void readCptFile(AnalysisState&, FreeFormatReader&) {}
bool checkInputValues(AnalysisState&) { return true; }
bool checkSoilProfile(AnalysisState&) { return true; }
void writeInputEcho(AnalysisState&) {}
void adjustThinIntervals(AnalysisState&) {}
bool countSegments(AnalysisState&) { return true; }
void computeDepthIncrement(AnalysisState&) {}
void segmentPile(AnalysisState&) {}
void prepareNodes(AnalysisState&) {}
double frictionAngleFromBlowCount(double, double, double previous) { return previous; }

}  // namespace vorta
