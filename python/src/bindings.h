// The parts of the extension module, each binding one idea.
#pragma once

#include <pybind11/pybind11.h>

namespace corvane::python {

void BindSession(pybind11::module_& m);
void BindDispatch(pybind11::module_& m);
void BindTasks(pybind11::module_& m);

}  // namespace corvane::python
