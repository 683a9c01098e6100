// fctable: Feldman-Cousins limits, belts, coverage and sensitivity as
// tables, from the command line. Exit status 0 on success; 2 for a bad
// option or value, found before anything is computed; 1 when the requests
// cannot be read, the output cannot be written or the computation leaves
// the double range.
#include <csignal>
#include <exception>
#include <iostream>
#include <stdexcept>

#include "fctable/command_line.h"
#include "fctable/errors.h"
#include "fctable/run_table.h"
#include "fctable/standard_streams.h"
#include "fctable/table_output.h"

namespace {

constexpr int success = 0;
constexpr int failure = 1;
constexpr int usage = 2;

}  // namespace

int main(int argc, char** argv) {
  if (!fctable::open_standard_streams()) {
    std::cerr << "fctable: cannot open /dev/null in the place of a closed standard stream\n";
    return failure;
  }
  // A reader that has gone is a failed write ending with 1, not a death by
  // signal; it needs no message, as the reader chose to go.
  std::signal(SIGPIPE, SIG_IGN);
  // A file grown past the size limit is a failed write (EFBIG), with its
  // message and the temporary file removed, not a silent death by signal.
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    const std::optional<fctable::table_settings> settings = fctable::read_command_line(argc, argv);
    if (!settings) return success;
    const std::string summary = fctable::run_table(*settings);
    if (!summary.empty() && !settings->quiet) std::cerr << summary << '\n';
    return success;
  } catch (const fctable::usage_error& error) {
    const std::string command = error.command.empty() ? "" : error.command + " ";
    std::cerr << error.what() << "\nTry 'fctable " << command << "--help' for more information.\n";
    return usage;
  } catch (const fctable::write_error& error) {
    if (!error.reader_gone) std::cerr << error.what() << '\n';
    return failure;
  } catch (const std::exception& error) {
    // The library's std::domain_error, or a resource running out.
    std::cerr << "fctable: " << error.what() << '\n';
    return failure;
  }
}
