#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <stop_token>

#include "fclimits/fclimits.h"

namespace fclimits::python {

// A buffer the package passes in, read flat. Without forcecast numpy converts
// only where no value can change, so a wrong dtype is refused, never rounded.
template <class T>
using flat_array = pybind11::array_t<T, pybind11::array::c_style>;

// The common size of the buffers of one call. Throws std::invalid_argument
// when they differ (the package broadcasts them first).
std::size_t common_size(std::initializer_list<pybind11::ssize_t> sizes);

// Runs work() with the GIL released, on a thread of its own, so that other
// Python threads run meanwhile. The calling thread waits, taking the GIL
// every few tens of milliseconds to let Python's signal handlers run: when
// one raises (KeyboardInterrupt for Ctrl-C), `stop` is requested, work()
// ends within one step of its searches, and the handler's exception is
// raised. work() must not touch Python objects: take the buffers' pointers
// before. An exception of work() is rethrown with the GIL held again.
void run_interruptible(std::stop_source& stop, const std::function<void()>& work);

// Runs request(i) for every i < count on `threads` threads (0: all hardware
// threads) as run_interruptible runs its work; requests that take options
// give them stop's token.
template <class Request>
void for_each_request(std::size_t count, unsigned threads, std::stop_source& stop,
                      const Request& request) {
  run_interruptible(stop, [&] { parallel_for(count, threads, request, stop.get_token()); });
}

}  // namespace fclimits::python
