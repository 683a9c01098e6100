#include <bit>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"
#include "python/src/search_options.h"

namespace fclimits::python {
namespace {

namespace py = pybind11;

// The requests of one background and level, by the bits of both: only
// identical arguments share a group, so -0.0 and 0.0 stay apart.
using group_key = std::pair<std::uint64_t, std::uint64_t>;

std::map<group_key, std::vector<std::size_t>> group_requests(const double* backgrounds,
                                                             const double* levels,
                                                             std::size_t size) {
  std::map<group_key, std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < size; ++i) {
    const group_key key{std::bit_cast<std::uint64_t>(backgrounds[i]),
                        std::bit_cast<std::uint64_t>(levels[i])};
    groups[key].push_back(i);
  }
  return groups;
}

// Each group is one call of the library's coverage at many means, which
// computes the limits of each count once for all of them (on all threads);
// its values are those of the single calls.
py::array_t<double> coverages(const flat_array<double>& mu, const flat_array<double>& b,
                              const flat_array<double>& cl, const std::string& method,
                              double tolerance, bool correct_upper, unsigned threads) {
  const std::size_t size = common_size({mu.size(), b.size(), cl.size()});
  py::array_t<double> found(static_cast<py::ssize_t>(size));
  const double* means = mu.data();
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  double* covered = found.mutable_data();
  std::stop_source stop;
  const options how = search_options(method, tolerance, correct_upper, stop.get_token());
  run_interruptible(stop, [&] {
    std::vector<double> means_of_group;
    for (const auto& [key, requests] : group_requests(backgrounds, levels, size)) {
      means_of_group.clear();
      for (const std::size_t i : requests) means_of_group.push_back(means[i]);
      const std::size_t first = requests.front();
      const std::vector<double> covered_of_group =
          coverage(means_of_group, backgrounds[first], levels[first], how, threads);
      for (std::size_t k = 0; k < requests.size(); ++k) covered[requests[k]] = covered_of_group[k];
    }
  });
  return found;
}

}  // namespace

void register_coverage(py::module_& module) {
  module.def("coverage", &coverages, py::arg("mu"), py::arg("b"), py::arg("cl"), py::arg("method"),
             py::arg("tolerance"), py::arg("correct_upper"), py::arg("threads"),
             "The coverage of each request.");
}

}  // namespace fclimits::python
