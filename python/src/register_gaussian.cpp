#include <cstddef>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"

namespace fclimits::python {
namespace {

namespace py = pybind11;

// Each call's two results, for each request: the first row, then the
// second, as limits gives them.
template <class Call>
py::array_t<double> pairs_of(const flat_array<double>& first, const flat_array<double>& sigma,
                             const flat_array<double>& cl, unsigned threads, const Call& call) {
  const std::size_t size = common_size({first.size(), sigma.size(), cl.size()});
  py::array_t<double> found({py::ssize_t{2}, static_cast<py::ssize_t>(size)});
  const double* firsts = first.data();
  const double* sigmas = sigma.data();
  const double* levels = cl.data();
  double* low = found.mutable_data();
  double* high = low + size;
  std::stop_source stop;
  for_each_request(size, threads, stop,
                   [&](std::size_t i) { call(firsts[i], sigmas[i], levels[i], low[i], high[i]); });
  return found;
}

py::array_t<double> gaussian_limits_of(const flat_array<double>& x, const flat_array<double>& sigma,
                                       const flat_array<double>& cl, unsigned threads) {
  return pairs_of(x, sigma, cl, threads,
                  [](double x_i, double sigma_i, double cl_i, double& lower, double& upper) {
                    const interval found = gaussian_limits(x_i, sigma_i, cl_i);
                    lower = found.lower;
                    upper = found.upper;
                  });
}

py::array_t<double> gaussian_acceptance_of(const flat_array<double>& mu,
                                           const flat_array<double>& sigma,
                                           const flat_array<double>& cl, unsigned threads) {
  return pairs_of(mu, sigma, cl, threads,
                  [](double mu_i, double sigma_i, double cl_i, double& x_low, double& x_high) {
                    const gaussian_band found = gaussian_acceptance(mu_i, sigma_i, cl_i);
                    x_low = found.x_low;
                    x_high = found.x_high;
                  });
}

}  // namespace

void register_gaussian(py::module_& module) {
  module.def("gaussian_limits", &gaussian_limits_of, py::arg("x"), py::arg("sigma"), py::arg("cl"),
             py::arg("threads"), "(lower, upper) of each request, shape (2, size).");
  module.def("gaussian_acceptance", &gaussian_acceptance_of, py::arg("mu"), py::arg("sigma"),
             py::arg("cl"), py::arg("threads"),
             "(x_low, x_high) of each request, shape (2, size).");
}

}  // namespace fclimits::python
