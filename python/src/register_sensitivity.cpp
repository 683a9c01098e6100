#include <cstddef>
#include <string>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"
#include "python/src/search_options.h"
#include "python/src/uncertain_requests.h"

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

py::array_t<double> uncertain_sensitivities(
    const flat_array<double>& b, const flat_array<double>& cl, const flat_array<double>& b_sigma,
    const flat_array<double>& eff, const flat_array<double>& eff_sigma, const std::string& b_pdf,
    const std::string& eff_pdf, const std::string& ordering, const std::string& method,
    double tolerance, bool correct_upper, unsigned threads) {
  const std::size_t size =
      common_size({b.size(), cl.size(), b_sigma.size(), eff.size(), eff_sigma.size()});
  py::array_t<double> found(static_cast<py::ssize_t>(size));
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  const uncertain_requests u =
      uncertain_requests_of(b_sigma, eff, eff_sigma, b_pdf, eff_pdf, ordering);
  double* average_upper = found.mutable_data();
  std::stop_source stop;
  const options how = search_options(method, tolerance, correct_upper, stop.get_token());
  for_each_request(size, threads, stop, [&](std::size_t i) {
    average_upper[i] = sensitivity(backgrounds[i], levels[i], u[i], how);
  });
  return found;
}

}  // namespace

void register_sensitivity(py::module_& module) {
  module.def("sensitivity", &sensitivities, py::arg("b"), py::arg("cl"), py::arg("method"),
             py::arg("tolerance"), py::arg("correct_upper"), py::arg("threads"),
             "The sensitivity of each request.");
  module.def("uncertain_sensitivity", &uncertain_sensitivities, py::arg("b"), py::arg("cl"),
             py::arg("b_sigma"), py::arg("eff"), py::arg("eff_sigma"), py::arg("b_pdf"),
             py::arg("eff_pdf"), py::arg("ordering"), py::arg("method"), py::arg("tolerance"),
             py::arg("correct_upper"), py::arg("threads"),
             "The sensitivity of each request, with uncertainties.");
}

}  // namespace fclimits::python
