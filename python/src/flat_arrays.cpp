#include "python/src/flat_arrays.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace fclimits::python {
namespace {

namespace py = pybind11;

// How long the work runs between two looks for signals: Ctrl-C is answered
// well within a second, and an idle look costs microseconds.
constexpr std::chrono::milliseconds signal_interval{20};

}  // namespace

std::size_t common_size(std::initializer_list<pybind11::ssize_t> sizes) {
  const pybind11::ssize_t first = *sizes.begin();
  for (const pybind11::ssize_t size : sizes) {
    if (size != first) throw std::invalid_argument("fclimits: the arrays differ in size");
  }
  return static_cast<std::size_t>(first);
}

void run_interruptible(std::stop_source& stop, const std::function<void()>& work) {
  std::exception_ptr failure;
  bool interrupted = false;
  {
    const py::gil_scoped_release unlocked;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::thread runner([&] {
      try {
        work();
      } catch (...) {
        failure = std::current_exception();
      }
      const std::lock_guard<std::mutex> hold(lock);
      done = true;
      ended.notify_one();
    });
    std::unique_lock<std::mutex> wait(lock);
    while (!ended.wait_for(wait, signal_interval, [&] { return done; })) {
      if (interrupted) continue;
      wait.unlock();
      {
        const py::gil_scoped_acquire held;
        // The handler's exception stays set in this thread until raised.
        interrupted = PyErr_CheckSignals() != 0;
      }
      if (interrupted) stop.request_stop();
      wait.lock();
    }
    wait.unlock();
    runner.join();
  }
  if (interrupted) throw py::error_already_set();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace fclimits::python
