#include "python/src/flat_arrays.h"

#include <stdexcept>

namespace fclimits::python {

std::size_t common_size(std::initializer_list<pybind11::ssize_t> sizes) {
  const pybind11::ssize_t first = *sizes.begin();
  for (const pybind11::ssize_t size : sizes) {
    if (size != first) throw std::invalid_argument("fclimits: the arrays differ in size");
  }
  return static_cast<std::size_t>(first);
}

}  // namespace fclimits::python
