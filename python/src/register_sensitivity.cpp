#include <cstddef>
#include <string>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"
#include "python/src/search_options.h"

namespace fclimits::python {
namespace {

namespace py = pybind11;

py::array_t<double> sensitivities(const flat_array<double>& b, const flat_array<double>& cl,
                                  const std::string& method, double tolerance, bool correct_upper,
                                  unsigned threads) {
  const std::size_t size = common_size({b.size(), cl.size()});
  py::array_t<double> found(static_cast<py::ssize_t>(size));
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  double* average_upper = found.mutable_data();
  std::stop_source stop;
  const options how = search_options(method, tolerance, correct_upper, stop.get_token());
  for_each_request(size, threads, stop, [&](std::size_t i) {
    average_upper[i] = sensitivity(backgrounds[i], levels[i], how);
  });
  return found;
}

}  // namespace

void register_sensitivity(py::module_& module) {
  module.def("sensitivity", &sensitivities, py::arg("b"), py::arg("cl"), py::arg("method"),
             py::arg("tolerance"), py::arg("correct_upper"), py::arg("threads"),
             "The sensitivity of each request.");
}

}  // namespace fclimits::python
