#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <initializer_list>

#include "fclimits/fclimits.h"

namespace fclimits::python {

// A buffer the package passes in, read flat. Without forcecast numpy converts
// only where no value can change, so a wrong dtype is refused, never rounded.
template <class T>
using flat_array = pybind11::array_t<T, pybind11::array::c_style>;

// The common size of the buffers of one call. Throws std::invalid_argument
// when they differ (the package broadcasts them first).
std::size_t common_size(std::initializer_list<pybind11::ssize_t> sizes);

// Runs request(i) for every i < count on `threads` threads (0: all hardware
// threads) with the GIL released, so that other Python threads run meanwhile.
// The request must not touch Python objects: take the buffers' pointers
// before. An exception of a request is rethrown with the GIL held again.
template <class Request>
void for_each_request(std::size_t count, unsigned threads, const Request& request) {
  const pybind11::gil_scoped_release unlocked;
  parallel_for(count, threads, request);
}

}  // namespace fclimits::python
