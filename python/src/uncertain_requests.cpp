#include "python/src/uncertain_requests.h"

#include <stdexcept>
#include <string>

namespace fclimits::python {
namespace {

pdf_shape pdf_named(const std::string& name) {
  if (name == "gauss") return pdf_shape::gauss;
  if (name == "lognormal") return pdf_shape::lognormal;
  throw std::invalid_argument("fclimits: no pdf " + name);
}

ordering_rule ordering_named(const std::string& name) {
  if (name == "conrad") return ordering_rule::conrad;
  if (name == "profile") return ordering_rule::profile;
  throw std::invalid_argument("fclimits: no ordering " + name);
}

}  // namespace

uncertain_requests uncertain_requests_of(const flat_array<double>& b_sigma,
                                         const flat_array<double>& eff,
                                         const flat_array<double>& eff_sigma,
                                         const std::string& b_pdf, const std::string& eff_pdf,
                                         const std::string& ordering) {
  return {b_sigma.data(),   eff.data(),         eff_sigma.data(),
          pdf_named(b_pdf), pdf_named(eff_pdf), ordering_named(ordering)};
}

}  // namespace fclimits::python
