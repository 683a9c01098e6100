#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "fclimits/fclimits.h"

namespace fclimits {

void parallel_for(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& body,
                  stop_token stop) {
  if (threads == 0) threads = std::thread::hardware_concurrency();
  if (threads == 0) threads = 1;
  if (threads > count) threads = static_cast<unsigned>(count);
  std::atomic<std::size_t> next_index{0};
  // The lowest index that has failed so far: no index above it is started.
  std::atomic<std::size_t> lowest_failure{std::numeric_limits<std::size_t>::max()};
  std::exception_ptr failure;
  std::mutex failure_lock;

  auto work = [&]() {
    while (true) {
      const std::size_t i = next_index.fetch_add(1);
      if (i >= count || i > lowest_failure.load()) return;
      try {
        if (stop.stop_requested()) throw stopped();
        body(i);
      } catch (...) {
        const std::lock_guard<std::mutex> hold(failure_lock);
        if (i < lowest_failure.load()) {
          lowest_failure.store(i);
          failure = std::current_exception();
        }
      }
    }
  };

  std::vector<std::thread> helpers;
  helpers.reserve(threads > 0 ? threads - 1 : 0);
  for (unsigned t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: those started, and this one, do the work
    }
  }
  work();  // the calling thread takes its share
  for (auto& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace fclimits
