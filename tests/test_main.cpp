#include <gtest/gtest.h>

#include "limits/factorial_table.h"

// The limit computation reads the factorial table, which the program fills
// once at start-up; the tests do the same.
int main(int argc, char** argv) {
  limits::fill_factorial_table();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
