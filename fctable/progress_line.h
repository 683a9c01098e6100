#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace fctable {

// "fctable: 1200 of 1953 rows, 350 rows/s, about 2 s left" on standard
// error, redrawn in place: only when standard error is a terminal, not
// before the run has taken a second, and at most five times a second.
class progress_line {
 public:
  progress_line(std::uint64_t total, bool wanted);

  // Redraws the line for `done` rows, if it is time to.
  void show(std::uint64_t done);
  // Wipes the line off the terminal, if it is drawn.
  void clear();

 private:
  using clock = std::chrono::steady_clock;

  void draw(const std::string& text);

  std::uint64_t total_;
  bool enabled_;
  clock::time_point start_ = clock::now();
  clock::time_point last_drawn_{};
  std::size_t drawn_width_ = 0;
};

}  // namespace fctable
