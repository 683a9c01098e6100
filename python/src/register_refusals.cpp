#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"

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

}  // namespace

void register_refusals(py::module_& module) {
  module.def("first_refusal", &first_refusal, py::arg("kind"), py::arg("values"),
             "The first value the library's rule of this kind refuses: (index, reason), or "
             "None.");
}

}  // namespace fclimits::python
