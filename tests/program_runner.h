#pragma once

#include <string>
#include <string_view>

#include "tests/process_runner.h"

namespace test_support {

// Runs build/fclimits with input on a pipe as its standard input and pipes
// for its standard output and error, until it ends. The program is killed
// after timeout_seconds, so a hang fails the test instead of stalling it.
program_result run_through_pipes(std::string_view input, int timeout_seconds = 60);

// What the program writes to standard error when its input ends.
inline const std::string end_of_input_report =
    "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n";

// The same with the streams set up as told.
program_result run_program(std::string_view input, const stream_setup& setup,
                           int timeout_seconds = 60);

// The same with standard output opened on output_path (e.g. "/dev/full").
program_result run_with_output_file(std::string_view input, const char* output_path,
                                    int timeout_seconds = 60);

}  // namespace test_support
