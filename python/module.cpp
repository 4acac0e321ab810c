// The extension module vorta._vorta under the package vorta: the analysis model, runs and their
// results. The package (python/vorta) adds what is plain Python: runs of many analyses on a thread
// pool and the results as pandas frames.
#include <pybind11/pybind11.h>

#include <pybind11/stl.h>

#include <string>
#include <utility>
#include <vector>

#include "model.h"
#include "results.h"
#include "vorta/vorta.h"

PYBIND11_MODULE(_vorta, m) {
    m.doc() = "VORTA: axial capacity and short-term settlement of driven piles (the compiled part of the package vorta).";
    m.attr("__version__") = std::string(vorta::engineVersion());
    m.attr("COMPLETED") = vorta::kRunCompleted;
    m.attr("STOPPED_ON_INPUT") = vorta::kRunStoppedOnInput;
    m.attr("FILE_ERROR") = vorta::kRunFileError;
    vorta::python::bindResults(m);
    vorta::python::bindModel(m);
    m.def(
        "_failed_result",
        [](int status, std::vector<std::string> messages) { return vorta::python::failedResult(status, std::move(messages)); },
        "A result of a run that never reached the engine, with its status and messages.");
}
