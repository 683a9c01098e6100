#include "fctable/ordered_rows.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "fclimits/fclimits.h"

namespace fctable {

void compute_in_order(std::size_t count, unsigned threads,
                      const std::function<row_values(std::size_t)>& compute, row_sink& sink) {
  const std::size_t slots = std::min(in_order_window, count);
  std::vector<row_values> rows(slots);
  std::vector<char> done(slots, 0);
  std::mutex lock;
  std::condition_variable room;  // signalled when rows go out, or on a failure
  std::size_t next_out = 0;
  std::size_t stop_at = count;  // rows from here on are neither computed nor taken

  fclimits::parallel_for(count, threads, [&](std::size_t i) {
    {
      std::unique_lock<std::mutex> hold(lock);
      room.wait(hold, [&] { return i >= stop_at || i < next_out + slots; });
      if (i >= stop_at) return;
    }
    row_values row;
    try {
      row = compute(i);
    } catch (...) {
      const std::lock_guard<std::mutex> hold(lock);
      stop_at = std::min(stop_at, i);
      room.notify_all();
      throw;
    }
    const std::lock_guard<std::mutex> hold(lock);
    if (i >= stop_at) return;
    rows[i % slots] = row;
    done[i % slots] = 1;
    // Only the thread that finishes the next row to go out writes: it takes
    // every finished row from there on, so the order holds.
    if (i != next_out) return;
    try {
      while (next_out < stop_at && done[next_out % slots]) {
        done[next_out % slots] = 0;
        sink.take(rows[next_out % slots]);
        ++next_out;
      }
      sink.caught_up();
    } catch (...) {
      stop_at = 0;
      room.notify_all();
      throw;
    }
    room.notify_all();
  });
}

}  // namespace fctable
