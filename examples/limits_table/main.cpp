// The 90 % Feldman-Cousins limits of a few counts over a background of 3.
#include <fclimits/fclimits.h>

#include <cstdio>

int main() {
  const double b = 3.0;
  std::printf("fclimits %s: 90 %% limits, background %.1f\n", fclimits::version(), b);
  for (const int n : {0, 1, 3, 5, 10}) {
    const fclimits::interval limits = fclimits::limits(n, b, 0.90);
    std::printf("n = %2d: %.2f to %.2f\n", n, limits.lower, limits.upper);
  }
}
