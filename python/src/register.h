#pragma once

#include <pybind11/pybind11.h>

namespace fclimits::python {

// Each adds one call of the library to the module _core. The arrays they take
// are C-contiguous buffers of one common size, read flat: the package has
// checked, broadcast and converted the arguments (the library checks them
// again). Each call runs with the GIL released on `threads` threads (0: all
// hardware threads), stops on Ctrl-C (run_interruptible), and its results
// are the library's doubles. method is "exact" or "console".

// limits(n: int32, b, cl, method, tolerance, correct_upper, threads) -> array of
// shape (2, size): the lower limits, then the upper limits.
void register_limits(pybind11::module_& module);

// acceptance_region(mu, b, cl, threads) -> (n_low: int64, n_high: int64,
// probability), each of shape (size,).
void register_acceptance_region(pybind11::module_& module);

// sensitivity(b, cl, method, tolerance, correct_upper, threads) -> array (size,).
void register_sensitivity(pybind11::module_& module);

// coverage(mu, b, cl, method, tolerance, correct_upper, threads) -> array (size,).
void register_coverage(pybind11::module_& module);

// first_refusal(kind, values: float64) -> (index, reason) of the first value
// the library's rule refuses ("count", "background", "mean",
// "coverage_mean", "level", "tolerance"), or None.
void register_refusals(pybind11::module_& module);

}  // namespace fclimits::python
