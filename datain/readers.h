// The readers of the three formats that state their units (cpt_files.cpp chooses among them).
#pragma once

#include <string>
#include <vector>

#include "text_input.h"
#include "vorta/cpt_files.h"

namespace vorta::datain {

CptReading readGef(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options);
CptReading readAgs4(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options);
CptReading readCsv(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options);

}  // namespace vorta::datain
