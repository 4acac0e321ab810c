// The analysis model in Python: vorta.Analysis and its parts, with the attributes that the model's
// field tables name (the keys of a project file), each value checked as it is set.
#pragma once

#include <pybind11/pybind11.h>

namespace vorta::python {

void bindModel(pybind11::module_& m);

}  // namespace vorta::python
