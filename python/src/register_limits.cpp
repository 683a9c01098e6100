#include <cstddef>
#include <cstdint>
#include <string>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"
#include "python/src/search_options.h"
#include "python/src/uncertain_requests.h"

namespace fclimits::python {
namespace {

namespace py = pybind11;

py::array_t<double> limits_of(const flat_array<std::int32_t>& n, const flat_array<double>& b,
                              const flat_array<double>& cl, const std::string& method,
                              double tolerance, bool correct_upper, unsigned threads) {
  const std::size_t size = common_size({n.size(), b.size(), cl.size()});
  py::array_t<double> found({py::ssize_t{2}, static_cast<py::ssize_t>(size)});
  const std::int32_t* counts = n.data();
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  double* lower = found.mutable_data();
  double* upper = lower + size;
  std::stop_source stop;
  const options how = search_options(method, tolerance, correct_upper, stop.get_token());
  for_each_request(size, threads, stop, [&](std::size_t i) {
    const interval limits_of_i = limits(counts[i], backgrounds[i], levels[i], how);
    lower[i] = limits_of_i.lower;
    upper[i] = limits_of_i.upper;
  });
  return found;
}

py::array_t<double> uncertain_limits_of(const flat_array<std::int32_t>& n,
                                        const flat_array<double>& b, const flat_array<double>& cl,
                                        const flat_array<double>& b_sigma,
                                        const flat_array<double>& eff,
                                        const flat_array<double>& eff_sigma,
                                        const std::string& b_pdf, const std::string& eff_pdf,
                                        const std::string& ordering, const std::string& method,
                                        double tolerance, bool correct_upper, unsigned threads) {
  const std::size_t size =
      common_size({n.size(), b.size(), cl.size(), b_sigma.size(), eff.size(), eff_sigma.size()});
  py::array_t<double> found({py::ssize_t{2}, static_cast<py::ssize_t>(size)});
  const std::int32_t* counts = n.data();
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  const uncertain_requests u =
      uncertain_requests_of(b_sigma, eff, eff_sigma, b_pdf, eff_pdf, ordering);
  double* lower = found.mutable_data();
  double* upper = lower + size;
  std::stop_source stop;
  const options how = search_options(method, tolerance, correct_upper, stop.get_token());
  for_each_request(size, threads, stop, [&](std::size_t i) {
    const interval limits_of_i = limits(counts[i], backgrounds[i], levels[i], u[i], how);
    lower[i] = limits_of_i.lower;
    upper[i] = limits_of_i.upper;
  });
  return found;
}

}  // namespace

void register_limits(py::module_& module) {
  module.def("limits", &limits_of, py::arg("n"), py::arg("b"), py::arg("cl"), py::arg("method"),
             py::arg("tolerance"), py::arg("correct_upper"), py::arg("threads"),
             "Lower limits in row 0, upper limits in row 1.");
  module.def("uncertain_limits", &uncertain_limits_of, py::arg("n"), py::arg("b"), py::arg("cl"),
             py::arg("b_sigma"), py::arg("eff"), py::arg("eff_sigma"), py::arg("b_pdf"),
             py::arg("eff_pdf"), py::arg("ordering"), py::arg("method"), py::arg("tolerance"),
             py::arg("correct_upper"), py::arg("threads"),
             "Lower limits in row 0, upper limits in row 1, with uncertainties.");
}

}  // namespace fclimits::python
