#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"
#include "python/src/uncertain_requests.h"

namespace fclimits::python {
namespace {

namespace py = pybind11;

using rule = std::optional<refusal> (*)(double);

struct named_rule {
  std::string_view kind;
  rule refusal_of;
};

constexpr named_rule rules[] = {
    {"count", refusal_of_count},
    {"background", refusal_of_background},
    {"mean", refusal_of_mean},
    {"coverage_mean", refusal_of_coverage_mean},
    {"level", refusal_of_level},
    // The method's own rule is applied where the method is known.
    {"tolerance", [](double t) { return refusal_of_tolerance(t, search_method::console); }},
    // A true efficiency, by the nominal efficiency's rule and words.
    {"efficiency",
     [](double eff) -> std::optional<refusal> {
       std::optional<named_refusal> refused = refusal_of_uncertainties(0.0, {.eff = eff});
       if (!refused) return {};
       return refused->refused;
     }},
    {"measurement", refusal_of_measurement},
    {"sigma", refusal_of_sigma},
    {"gaussian_mean", refusal_of_gaussian_mean},
};

// The library's rules over a flat buffer: the first value refused, as
// (index, reason), or None.
py::object first_refusal(const std::string& kind, const flat_array<double>& values) {
  for (const named_rule& r : rules) {
    if (r.kind != kind) continue;
    const double* data = values.data();
    for (py::ssize_t i = 0; i < values.size(); ++i) {
      if (const std::optional<refusal> refused = r.refusal_of(data[i])) {
        return py::make_tuple(i, refused->reason);
      }
    }
    return py::none();
  }
  throw std::invalid_argument("fclimits: no rule for " + kind);
}

// The library's rule of the uncertainties, each request's with its
// background: the first request refused, as (index, name, reason), or None.
py::object first_uncertainty_refusal(const flat_array<double>& b, const flat_array<double>& b_sigma,
                                     const flat_array<double>& eff,
                                     const flat_array<double>& eff_sigma, const std::string& b_pdf,
                                     const std::string& eff_pdf, const std::string& ordering) {
  const std::size_t size = common_size({b.size(), b_sigma.size(), eff.size(), eff_sigma.size()});
  const uncertain_requests u =
      uncertain_requests_of(b_sigma, eff, eff_sigma, b_pdf, eff_pdf, ordering);
  const double* backgrounds = b.data();
  for (std::size_t i = 0; i < size; ++i) {
    if (const std::optional<named_refusal> refused =
            refusal_of_uncertainties(backgrounds[i], u[i])) {
      return py::make_tuple(i, refused->name, refused->refused.reason);
    }
  }
  return py::none();
}

}  // namespace

void register_refusals(py::module_& module) {
  module.def("first_refusal", &first_refusal, py::arg("kind"), py::arg("values"),
             "The first value the library's rule of this kind refuses: (index, reason), or "
             "None.");
  module.def("first_uncertainty_refusal", &first_uncertainty_refusal, py::arg("b"),
             py::arg("b_sigma"), py::arg("eff"), py::arg("eff_sigma"), py::arg("b_pdf"),
             py::arg("eff_pdf"), py::arg("ordering"),
             "The first request whose uncertainties the library's rule refuses, with its "
             "background: (index, name, reason), or None.");
}

}  // namespace fclimits::python
