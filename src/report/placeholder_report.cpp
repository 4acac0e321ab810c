// Placeholder body of the method sequence until it lands.
#include "report/report.h"

namespace vorta {

void runMethodsAndTables(AnalysisState&, int) {}

}  // namespace vorta
