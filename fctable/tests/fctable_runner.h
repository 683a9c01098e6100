#pragma once

#include <string>
#include <vector>

#include "tests/process_runner.h"

namespace fctable_test {

using run_result = test_support::program_result;

// The streams as the process runner sets them up, and the standard input.
struct run_setup : test_support::stream_setup {
  std::string input;
};

// Runs build/fctable with these arguments until it ends; it is killed
// after two minutes, so a hang fails the test instead of stalling it.
run_result run_fctable(const std::vector<std::string>& arguments, const run_setup& setup = {});

}  // namespace fctable_test
