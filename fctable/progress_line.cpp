#include "fctable/progress_line.h"

#include <unistd.h>

#include <cmath>

#include "fctable/number_text.h"

namespace fctable {
namespace {

constexpr auto quiet_start = std::chrono::seconds(1);
constexpr auto redraw_interval = std::chrono::milliseconds(200);

// "3 s", "4 min 05 s", "2 h 07 min".
std::string duration_text(double seconds) {
  const auto whole = static_cast<std::uint64_t>(std::ceil(seconds));
  auto two_digits = [](std::uint64_t x) { return (x < 10 ? "0" : "") + std::to_string(x); };
  if (whole < 60) return std::to_string(whole) + " s";
  if (whole < 3600) return std::to_string(whole / 60) + " min " + two_digits(whole % 60) + " s";
  return std::to_string(whole / 3600) + " h " + two_digits(whole % 3600 / 60) + " min";
}

}  // namespace

progress_line::progress_line(std::uint64_t total, bool wanted)
    : total_(total), enabled_(wanted && ::isatty(STDERR_FILENO) == 1) {}

void progress_line::show(std::uint64_t done) {
  if (!enabled_) return;
  const clock::time_point now = clock::now();
  if (now - start_ < quiet_start || now - last_drawn_ < redraw_interval) return;
  last_drawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = static_cast<double>(done) / seconds;
  std::string text =
      "fctable: " + std::to_string(done) + " of " + std::to_string(total_) + " rows, ";
  append_fixed(text, rate, rate < 10.0 ? 1 : 0);
  text += " rows/s";
  if (done > 0) {
    text += ", about " + duration_text(static_cast<double>(total_ - done) / rate) + " left";
  }
  draw(text);
}

void progress_line::clear() {
  if (drawn_width_ == 0) return;
  draw("");
  drawn_width_ = 0;
}

void progress_line::draw(const std::string& text) {
  // Blanks over whatever is left of a longer line before.
  std::string line = "\r" + text;
  if (text.size() < drawn_width_) {
    line.append(drawn_width_ - text.size(), ' ');
    line += '\r';
    line += text;
  }
  drawn_width_ = text.size();
  // Progress is a courtesy: a failed write to the terminal changes nothing.
  if (::write(STDERR_FILENO, line.data(), line.size()) < 0) return;
}

}  // namespace fctable
