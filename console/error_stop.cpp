#include "console/error_stop.h"

#include <signal.h>
#include <unistd.h>

#include <array>

#include "console/console_unit.h"
#include "console/write_bytes.h"

namespace console {
namespace {

// The longest report: CR LF, "run-time error F6102: READ(CON)", CR LF, "- ",
// the longest message, CR LF, well within this.
class report_buffer {
 public:
  void append(std::string_view text) {
    for (const char c : text) {
      if (size_ < text_.size()) text_[size_++] = c;
    }
  }

  void append_number(std::uint16_t number) {
    char digits[4];
    for (int i = 3; i >= 0; --i) {
      digits[i] = static_cast<char>('0' + number % 10);
      number = static_cast<std::uint16_t>(number / 10);
    }
    append(std::string_view(digits, 4));
  }

  std::string_view view() const { return {text_.data(), size_}; }

  // Writes the report to standard error; a failure is ignored.
  void write_out() const { write_bytes_with(::write, STDERR_FILENO, text_.data(), size_); }

 private:
  std::array<char, 160> text_{};
  std::size_t size_ = 0;
};

[[noreturn]] void finish(const report_buffer& report) {
  // Once the run is ending, a reader that has gone must not turn the status
  // 1 of the report into death by SIGPIPE: the write just fails.
  struct sigaction ignore {};

  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  report.write_out();
  end_of_run();
  ::_exit(1);
}

}  // namespace

void error_stop(error_code code, statement_kind kind) {
  report_buffer report;
  report.append("\r\nrun-time error F");
  report.append_number(static_cast<std::uint16_t>(code));
  report.append(kind == statement_kind::read ? ": READ(CON)\r\n- " : ": WRITE(CON)\r\n- ");
  report.append(message_of(code));
  report.append("\r\n");
  finish(report);
}

void math_error_stop(std::uint16_t number, std::string_view message) {
  report_buffer report;
  report.append("\r\nrun-time error M");
  report.append_number(number);
  report.append(": MATH\r\n- ");
  report.append(message);
  report.append("\r\n");
  finish(report);
}

void function_error_stop(std::string_view function, std::uint16_t number, std::string_view kind) {
  report_buffer message;
  message.append(function);
  message.append(": ");
  message.append(kind);
  message.append(" error");
  math_error_stop(number, message.view());
}

}  // namespace console
