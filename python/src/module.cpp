// The compiled core of the Python package fclimits: the library's calls over
// numpy buffers, each added by a register_* function of its own. The package
// around it (fclimits/__init__.py) gives the arguments their conventions.
#include <pybind11/pybind11.h>

#include "fclimits/fclimits.h"
#include "python/src/register.h"

PYBIND11_MODULE(_core, module) {
  module.doc() = "The library's calls over flat numpy buffers; use the package fclimits.";
  module.attr("version") = fclimits::version();
  module.attr("max_background") = fclimits::max_background;
  module.attr("max_mean") = fclimits::max_mean;
  module.attr("max_coverage_mean") = fclimits::max_coverage_mean;
  module.attr("max_tolerance") = fclimits::max_tolerance;
  module.attr("tail_probability") = fclimits::tail_probability;
  fclimits::python::register_limits(module);
  fclimits::python::register_acceptance_region(module);
  fclimits::python::register_sensitivity(module);
  fclimits::python::register_coverage(module);
  fclimits::python::register_gaussian(module);
  fclimits::python::register_refusals(module);
}
