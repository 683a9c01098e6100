// The library's own values over a small grid, for the Python tests to compare
// with bit for bit: one line per call, the arguments and then the results, as
// hexadecimal doubles.
//   acceptance mu b cl n_low n_high probability
//   sensitivity b cl value
//   coverage mu b cl value
//   limits n b cl lower upper
#include <cstdio>

#include "fclimits/fclimits.h"

int main() {
  constexpr double means[] = {0.0, 0.5, 2.5, 7.0};
  constexpr double backgrounds[] = {0.0, 1.5, 3.0};
  constexpr double levels[] = {0.6827, 0.9};
  for (const double b : backgrounds) {
    for (const double cl : levels) {
      std::printf("sensitivity %a %a %a\n", b, cl, fclimits::sensitivity(b, cl));
      for (const double mu : means) {
        const fclimits::acceptance region = fclimits::acceptance_region(mu, b, cl);
        std::printf("acceptance %a %a %a %d %d %a\n", mu, b, cl, region.n_low, region.n_high,
                    region.probability);
        std::printf("coverage %a %a %a %a\n", mu, b, cl, fclimits::coverage(mu, b, cl));
      }
      for (const int n : {0, 3, 7}) {
        const fclimits::interval found = fclimits::limits(n, b, cl);
        std::printf("limits %d %a %a %a %a\n", n, b, cl, found.lower, found.upper);
      }
    }
  }
}
