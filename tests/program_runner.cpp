#include "tests/program_runner.h"

namespace test_support {

program_result run_program(std::string_view input, const stream_setup& setup, int timeout_seconds) {
  return run_process(FCLIMITS_PATH, {}, input, setup, timeout_seconds);
}

program_result run_through_pipes(std::string_view input, int timeout_seconds) {
  return run_program(input, stream_setup{}, timeout_seconds);
}

program_result run_with_output_file(std::string_view input, const char* output_path,
                                    int timeout_seconds) {
  stream_setup setup;
  setup.output_path = output_path;
  return run_program(input, setup, timeout_seconds);
}

}  // namespace test_support
