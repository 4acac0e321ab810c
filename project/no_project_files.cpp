// A build without toml++: every use of a project file says that this build reads none.
#include "vorta/project.h"

namespace vorta::project {
namespace {

[[noreturn]] void noProjectFiles(const std::string& what) {
    throw InputError(what + ": this build of VORTA reads and writes no project files (toml++ was not found when it "
                            "was built)");
}

}  // namespace

ProjectError::ProjectError(std::vector<std::string> problems, std::vector<ProjectProblem> details)
    : InputError(problems.empty() ? "" : problems.front()), problems_(std::move(problems)), details_(std::move(details)) {}

Analysis readProjectFile(const std::filesystem::path& file, SourceLines*) { noProjectFiles(file.string()); }

Analysis readProjectText(std::string_view, const std::string& fileName, const std::filesystem::path&, SourceLines*) {
    noProjectFiles(fileName);
}

void writeProjectFile(const Analysis&, std::ostream&) { noProjectFiles("the project file"); }

std::string keyReference() { noProjectFiles("the reference of the project file's keys"); }

}  // namespace vorta::project
