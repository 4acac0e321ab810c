// Project files: an analysis stated in TOML, every value by its name, read into and written from
// the analysis model. The names, units and meanings come from the model's field tables.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta::project {

// One problem of a project file: the key it concerns ("pile.length", "layers[2].shear_strength";
// empty when the text itself cannot be read), the line (0 when the analysis was not read from a
// text) and what was found and expected.
struct ProjectProblem {
    std::string key;
    int line = 0;
    std::string what;
};

// A project file that cannot be used. what() lists every problem found, one a line; each names the
// file, the line and the key and says what was expected. A run reports it with status 2.
class ProjectError : public InputError {
public:
    ProjectError(std::vector<std::string> problems, std::vector<ProjectProblem> details);
    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<ProjectProblem>& details() const { return details_; }

private:
    std::vector<std::string> problems_;
    std::vector<ProjectProblem> details_;
};

// Reads a project file. A CPT file that the project names is read relative to the project file's
// folder. Throws ProjectError (or InputError for the CPT file it names). When `lines` is given it
// receives the line of every value read, for the run's messages about values (RunOptions::sourceLines).
Analysis readProjectFile(const std::filesystem::path& file, SourceLines* lines = nullptr);

// The same on a text; `fileName` names it in messages and `folder` is where a CPT file it names lies.
Analysis readProjectText(std::string_view text, const std::string& fileName, const std::filesystem::path& folder,
                         SourceLines* lines = nullptr);

// Writes a project file with a comment beside each value giving its unit. The CPT sounding is
// written inline. Throws InputError for a model that cannot be stated (see writeInputDeck).
void writeProjectFile(const Analysis& analysis, std::ostream& out);

// A sounding file's name as a project file written to `projectFile` must give it: relative to the
// project file's folder where it can be, else absolute. Nothing changes without a sounding file.
void nameSoundingFileFrom(Analysis& analysis, const std::filesystem::path& projectFile);

// Whether a file name is a project file's (extension .toml).
bool isProjectFileName(const std::filesystem::path& file);

// The reference of every key of a project file (Markdown tables), made from the field tables.
std::string keyReference();

}  // namespace vorta::project
