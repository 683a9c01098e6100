#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <functional>

namespace fctable {

// The numbers of one row, in the order of the table's columns (counts are
// whole doubles: every int32 is one). The widest rows are those of belt and
// coverage with every uncertainty and truth column: eleven.
inline constexpr std::size_t most_columns = 12;
using row_values = std::array<double, most_columns>;

// Fills a row value by value, in the order of the columns.
class row_builder {
 public:
  row_builder& operator<<(double value) {
    assert(size_ < most_columns);
    values_[size_++] = value;
    return *this;
  }

  const row_values& values() const { return values_; }

 private:
  row_values values_{};
  std::size_t size_ = 0;
};

// Takes the rows of a table in order, on one thread at a time.
class row_sink {
 public:
  virtual ~row_sink() = default;
  virtual void take(const row_values& row) = 0;
  // Every row done so far has been taken; the next one is still being
  // computed, or there is none.
  virtual void caught_up() = 0;
};

// Rows computed ahead of the next one to go out, at most: enough that a
// slow row seldom holds the other threads up, few enough to cost no memory.
inline constexpr std::size_t in_order_window = 4096;

// Computes rows 0 .. count - 1 with compute(i) on up to `threads` threads
// (0: all hardware threads) and hands each row to the sink as soon as it and
// every row before it are done, so the rows go out in order whatever the
// thread count. At most in_order_window rows are computed ahead of the next
// one to go out: memory does not grow with count. When compute or the sink
// throws, the rows before a failing compute still go out, no later row is
// started, and the exception of the lowest row is rethrown once every thread
// has ended.
void compute_in_order(std::size_t count, unsigned threads,
                      const std::function<row_values(std::size_t)>& compute, row_sink& sink);

}  // namespace fctable
