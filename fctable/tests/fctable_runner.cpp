#include "fctable/tests/fctable_runner.h"

namespace fctable_test {

run_result run_fctable(const std::vector<std::string>& arguments, const run_setup& setup) {
  return test_support::run_process(FCTABLE_PATH, arguments, setup.input, setup, 120);
}

}  // namespace fctable_test
