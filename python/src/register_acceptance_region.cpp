#include <cstddef>
#include <cstdint>
#include <string>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"
#include "python/src/uncertain_requests.h"

namespace fclimits::python {
namespace {

namespace py = pybind11;

py::tuple acceptance_regions(const flat_array<double>& mu, const flat_array<double>& b,
                             const flat_array<double>& cl, unsigned threads) {
  const std::size_t size = common_size({mu.size(), b.size(), cl.size()});
  const auto length = static_cast<py::ssize_t>(size);
  // int64, numpy's own integer, so that sums and differences of counts
  // near 2147483647 do not wrap.
  py::array_t<std::int64_t> n_low(length);
  py::array_t<std::int64_t> n_high(length);
  py::array_t<double> probability(length);
  const double* means = mu.data();
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  std::int64_t* lows = n_low.mutable_data();
  std::int64_t* highs = n_high.mutable_data();
  double* probabilities = probability.mutable_data();
  std::stop_source stop;
  for_each_request(size, threads, stop, [&](std::size_t i) {
    const acceptance region = acceptance_region(means[i], backgrounds[i], levels[i]);
    lows[i] = region.n_low;
    highs[i] = region.n_high;
    probabilities[i] = region.probability;
  });
  return py::make_tuple(n_low, n_high, probability);
}

py::tuple uncertain_acceptance_regions(const flat_array<double>& mu, const flat_array<double>& b,
                                       const flat_array<double>& cl,
                                       const flat_array<double>& b_sigma,
                                       const flat_array<double>& eff,
                                       const flat_array<double>& eff_sigma,
                                       const std::string& b_pdf, const std::string& eff_pdf,
                                       const std::string& ordering, unsigned threads) {
  const std::size_t size =
      common_size({mu.size(), b.size(), cl.size(), b_sigma.size(), eff.size(), eff_sigma.size()});
  const auto length = static_cast<py::ssize_t>(size);
  py::array_t<std::int64_t> n_low(length);
  py::array_t<std::int64_t> n_high(length);
  py::array_t<double> probability(length);
  py::array_t<bool> contiguous(length);
  const double* means = mu.data();
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  const uncertain_requests u =
      uncertain_requests_of(b_sigma, eff, eff_sigma, b_pdf, eff_pdf, ordering);
  std::int64_t* lows = n_low.mutable_data();
  std::int64_t* highs = n_high.mutable_data();
  double* probabilities = probability.mutable_data();
  bool* contiguous_regions = contiguous.mutable_data();
  std::stop_source stop;
  for_each_request(size, threads, stop, [&](std::size_t i) {
    const uncertain_acceptance region =
        acceptance_region(means[i], backgrounds[i], levels[i], u[i]);
    lows[i] = region.n_low;
    highs[i] = region.n_high;
    probabilities[i] = region.probability;
    contiguous_regions[i] = region.contiguous;
  });
  return py::make_tuple(n_low, n_high, probability, contiguous);
}

}  // namespace

void register_acceptance_region(py::module_& module) {
  module.def("acceptance_region", &acceptance_regions, py::arg("mu"), py::arg("b"), py::arg("cl"),
             py::arg("threads"), "(n_low, n_high, probability) of each request.");
  module.def("uncertain_acceptance_region", &uncertain_acceptance_regions, py::arg("mu"),
             py::arg("b"), py::arg("cl"), py::arg("b_sigma"), py::arg("eff"), py::arg("eff_sigma"),
             py::arg("b_pdf"), py::arg("eff_pdf"), py::arg("ordering"), py::arg("threads"),
             "(n_low, n_high, probability, contiguous) of each request, with uncertainties.");
}

}  // namespace fclimits::python
