#include <pybind11/stl.h>  // the optional true values

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fclimits/fclimits.h"
#include "python/src/flat_arrays.h"
#include "python/src/register.h"
#include "python/src/search_options.h"
#include "python/src/uncertain_requests.h"

namespace fclimits::python {
namespace {

namespace py = pybind11;

// The requests that share every argument but the mean, by the bits of those
// arguments: only identical arguments share a group, so -0.0 and 0.0 stay
// apart.
template <std::size_t count>
using group_key = std::array<std::uint64_t, count>;

template <std::size_t count, class KeyOf>
std::map<group_key<count>, std::vector<std::size_t>> group_requests(std::size_t size,
                                                                    const KeyOf& arguments_of) {
  std::map<group_key<count>, std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < size; ++i) {
    const std::array<double, count> arguments = arguments_of(i);
    group_key<count> key{};
    for (std::size_t k = 0; k < count; ++k) key[k] = std::bit_cast<std::uint64_t>(arguments[k]);
    groups[key].push_back(i);
  }
  return groups;
}

// Each group is one call of coverage_of_group(first request, its means),
// the library's coverage at many means, which computes the limits of each
// count once for all of them (on all threads); its values are those of the
// single calls.
template <class Groups, class CoverageOfGroup>
void cover_groups(const Groups& groups, const double* means, double* covered,
                  const CoverageOfGroup& coverage_of_group) {
  std::vector<double> means_of_group;
  for (const auto& [key, requests] : groups) {
    means_of_group.clear();
    for (const std::size_t i : requests) means_of_group.push_back(means[i]);
    const std::vector<double> covered_of_group =
        coverage_of_group(requests.front(), means_of_group);
    for (std::size_t k = 0; k < requests.size(); ++k) covered[requests[k]] = covered_of_group[k];
  }
}

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
    const auto groups = group_requests<2>(size, [&](std::size_t i) {
      return std::array{backgrounds[i], levels[i]};
    });
    cover_groups(groups, means, covered, [&](std::size_t first, const std::vector<double>& s) {
      return coverage(s, backgrounds[first], levels[first], how, threads);
    });
  });
  return found;
}

// true_b and true_eff are given for every request or for none.
py::array_t<double> uncertain_coverages(
    const flat_array<double>& mu, const flat_array<double>& b, const flat_array<double>& cl,
    const flat_array<double>& b_sigma, const flat_array<double>& eff,
    const flat_array<double>& eff_sigma, const std::string& b_pdf, const std::string& eff_pdf,
    const std::string& ordering, const std::optional<flat_array<double>>& true_b,
    const std::optional<flat_array<double>>& true_eff, bool averaged, const std::string& method,
    double tolerance, bool correct_upper, unsigned threads) {
  const std::size_t size =
      common_size({mu.size(), b.size(), cl.size(), b_sigma.size(), eff.size(), eff_sigma.size(),
                   true_b ? true_b->size() : mu.size(), true_eff ? true_eff->size() : mu.size()});
  py::array_t<double> found(static_cast<py::ssize_t>(size));
  const double* means = mu.data();
  const double* backgrounds = b.data();
  const double* levels = cl.data();
  const uncertain_requests u =
      uncertain_requests_of(b_sigma, eff, eff_sigma, b_pdf, eff_pdf, ordering);
  const double* true_backgrounds = true_b ? true_b->data() : nullptr;
  const double* true_efficiencies = true_eff ? true_eff->data() : nullptr;
  double* covered = found.mutable_data();
  std::stop_source stop;
  const options how = search_options(method, tolerance, correct_upper, stop.get_token());
  const auto truth_of = [&](std::size_t i) {
    truth drawn{.averaged = averaged};
    if (true_backgrounds != nullptr) drawn.b = true_backgrounds[i];
    if (true_efficiencies != nullptr) drawn.eff = true_efficiencies[i];
    return drawn;
  };
  run_interruptible(stop, [&] {
    // An absent true value is 0.0 in every key: it never meets a given one.
    const auto groups = group_requests<7>(size, [&](std::size_t i) {
      const truth drawn = truth_of(i);
      return std::array{backgrounds[i],         levels[i],
                        u.b_sigma[i],           u.eff[i],
                        u.eff_sigma[i],         drawn.b.value_or(0.0),
                        drawn.eff.value_or(0.0)};
    });
    cover_groups(groups, means, covered, [&](std::size_t first, const std::vector<double>& s) {
      return coverage(s, backgrounds[first], levels[first], u[first], truth_of(first), how,
                      threads);
    });
  });
  return found;
}

}  // namespace

void register_coverage(py::module_& module) {
  module.def("coverage", &coverages, py::arg("mu"), py::arg("b"), py::arg("cl"), py::arg("method"),
             py::arg("tolerance"), py::arg("correct_upper"), py::arg("threads"),
             "The coverage of each request.");
  module.def("uncertain_coverage", &uncertain_coverages, py::arg("mu"), py::arg("b"), py::arg("cl"),
             py::arg("b_sigma"), py::arg("eff"), py::arg("eff_sigma"), py::arg("b_pdf"),
             py::arg("eff_pdf"), py::arg("ordering"), py::arg("true_b"), py::arg("true_eff"),
             py::arg("averaged"), py::arg("method"), py::arg("tolerance"), py::arg("correct_upper"),
             py::arg("threads"),
             "The coverage of each request, with uncertainties and the truth the counts are "
             "drawn from.");
}

}  // namespace fclimits::python
