#pragma once

#include "fclimits/stop_token.h"
#include "limits/search_tolerance.h"

namespace limits {

// Thrown by a search whose stop was requested: it ends within one pass of
// its loops, its result unfinished and never returned.
struct search_stopped {};

// How finely the limit searches look. The default is the method's own, the
// console's: each search stops at search_tolerance(b). A tolerance t > 0
// stops both searches at width t instead, or where no double lies between
// the ends of the bracket, and the upper search then refines the upper half
// of its bracket down to steps of min(0.005, 50 max(t, finest_refinement)),
// on as many levels as that takes, so that it sees every island of
// acceptance at least 100 max(t, finest_refinement) wide there.
struct search_settings {
  double tolerance = 0.0;
  // Requested: the search throws search_stopped. None: it runs to the end.
  const fclimits::stop_token* stop = nullptr;

  double stopping_width(double b) const {
    return tolerance > 0.0 ? tolerance : search_tolerance(b);
  }

  void check_stop() const {
    if (stop != nullptr && stop->stop_requested()) throw search_stopped{};
  }
};

// The refinement's points cost about 1 / t: at t = 1e-9 one raw upper limit
// at b = 200 took two minutes and a corrected one hours. Finer tolerances
// still narrow the bisections, down to adjacent doubles, but refine no finer
// than this.
inline constexpr double finest_refinement = 1e-7;

// Whether no double lies strictly between low < high: their midpoint rounds
// to one of them. A bisection ends there whatever its tolerance, so a
// tolerance below the spacing of doubles cannot keep it going.
inline bool adjacent(double low, double high) {
  const double middle = (low + high) / 2;
  return !(low < middle && middle < high);
}

}  // namespace limits
