#pragma once

#include <pybind11/pybind11.h>

namespace fclimits::python {

// Each adds one call of the library to the module _core. The arrays they take
// are C-contiguous buffers of one common size, read flat: the package has
// checked, broadcast and converted the arguments (the library checks them
// again). Each call runs with the GIL released on `threads` threads (0: all
// hardware threads), stops on Ctrl-C (run_interruptible), and its results
// are the library's doubles. method is "exact" or "console".
//
// Each also adds uncertain_<name>, the same call with the arguments b_sigma,
// eff, eff_sigma (buffers like b) and b_pdf, eff_pdf, ordering (words, see
// uncertain_requests_of) after the call's buffers: the library's call with
// uncertainties, the known-background call's bits where nothing is
// uncertain and eff is 1. The package calls it only where they are given,
// so that a call without them costs what it did.

// limits(n: int32, b, cl, method, tolerance, correct_upper, threads) -> array of
// shape (2, size): the lower limits, then the upper limits.
void register_limits(pybind11::module_& module);

// acceptance_region(mu, b, cl, threads) -> (n_low: int64, n_high: int64,
// probability), each of shape (size,); uncertain_acceptance_region adds
// contiguous: bool.
void register_acceptance_region(pybind11::module_& module);

// sensitivity(b, cl, method, tolerance, correct_upper, threads) -> array (size,).
void register_sensitivity(pybind11::module_& module);

// coverage(mu, b, cl, method, tolerance, correct_upper, threads) -> array (size,).
// uncertain_coverage takes true_b, true_eff (buffers, or None for the
// nominal values) and averaged after the words, as the library's truth.
void register_coverage(pybind11::module_& module);

// gaussian_limits(x, sigma, cl, threads) -> array of shape (2, size): the
// lower limits, then the upper limits; gaussian_acceptance(mu, sigma, cl,
// threads) -> array (2, size): x_low, then x_high. Both take no
// uncertainties.
void register_gaussian(pybind11::module_& module);

// first_refusal(kind, values: float64) -> (index, reason) of the first value
// the library's rule refuses ("count", "background", "mean",
// "coverage_mean", "level", "tolerance", "efficiency", "measurement",
// "sigma", "gaussian_mean"), or None.
// first_uncertainty_refusal(b, b_sigma, eff, eff_sigma, b_pdf, eff_pdf,
// ordering) -> (index, name, reason) of the first request whose
// uncertainties the library's rule refuses with its background, or None.
void register_refusals(pybind11::module_& module);

}  // namespace fclimits::python
