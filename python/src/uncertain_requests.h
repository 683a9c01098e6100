#pragma once

#include <cstddef>
#include <string>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"

namespace fclimits::python {

// The uncertainties of a call's requests: the numbers read from flat buffers
// of the call's common size, the words the same for every request. Holds
// the buffers' pointers only, so that work with the GIL released reads it;
// the arrays must outlive it.
struct uncertain_requests {
  const double* b_sigma;
  const double* eff;
  const double* eff_sigma;
  pdf_shape b_pdf;
  pdf_shape eff_pdf;
  ordering_rule ordering;

  uncertainties operator[](std::size_t i) const {
    return {b_sigma[i], eff[i], eff_sigma[i], b_pdf, eff_pdf, ordering};
  }
};

// The requests' uncertainties from the package's checked arguments: b_pdf and
// eff_pdf "gauss" or "lognormal", ordering "conrad" or "profile"; other words
// throw std::invalid_argument (the package refuses them first, with help).
uncertain_requests uncertain_requests_of(const flat_array<double>& b_sigma,
                                         const flat_array<double>& eff,
                                         const flat_array<double>& eff_sigma,
                                         const std::string& b_pdf, const std::string& eff_pdf,
                                         const std::string& ordering);

}  // namespace fclimits::python
