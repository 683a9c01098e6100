#include <cstddef>
#include <cstdint>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"

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

}  // namespace

void register_acceptance_region(py::module_& module) {
  module.def("acceptance_region", &acceptance_regions, py::arg("mu"), py::arg("b"), py::arg("cl"),
             py::arg("threads"), "(n_low, n_high, probability) of each request.");
}

}  // namespace fclimits::python
