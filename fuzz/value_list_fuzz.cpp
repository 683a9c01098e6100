// Any bytes read as an fctable list of values (--b 0:15:0.5,20) and as one
// number (--tolerance 1e-3). A list holds values or says what is wrong with
// it, never both; its size is the sum of its runs; every value of a run is
// the double glibc's strtod gives for its exact decimal text, so finite and
// rising with i, and whole where the run says so; a message is printable
// ASCII of bounded length. A number is strtod's double of the same text, and
// the list of that text alone holds just it. Aborts on the first violation.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fctable/value_list.h"

namespace {

using fctable::value_list;

void require(bool holds) {
  if (!holds) std::abort();
}

// A message quotes at most a few dozen bytes of the text, escaped.
constexpr std::size_t longest_message = 400;

bool printable(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7f) return false;
  }
  return true;
}

// The independent oracle: glibc's correctly rounded strtod of a text (in the
// "C" locale, which nothing here changes).
double strtod_of(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The exact decimal text of value i of a run: (start + i step) e exponent.
std::string exact_text(const value_list::run& run, std::uint64_t i) {
  // Every value lies between the ends, which fit in 64 bits.
  std::int64_t digits = 0;
  require(!__builtin_mul_overflow(static_cast<std::int64_t>(i), run.step, &digits));
  require(!__builtin_add_overflow(digits, run.start, &digits));
  return std::to_string(digits) + "e" + std::to_string(run.exponent);
}

// The values worth a look in a long run: both ends, a few steps in from
// each, the middle, and both sides of zero, where a tiny step gives values
// that round to zero or below the smallest normal double.
std::vector<std::uint64_t> sample_indices(const value_list::run& run) {
  std::vector<std::uint64_t> found;
  const std::uint64_t last = run.count - 1;
  for (const std::uint64_t i : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{2}, last / 2,
                                last / 2 + 1, last - 2, last - 1, last}) {
    if (i <= last) found.push_back(i);
  }
  if (run.step > 0 && run.start < 0) {
    const auto zero = static_cast<std::uint64_t>(-(run.start / run.step));
    for (std::uint64_t i = zero == 0 ? 0 : zero - 1; i <= zero + 2 && i <= last; ++i) {
      found.push_back(i);
    }
  }
  return found;
}

void check_run(const value_list& list, const value_list::run& run, std::uint64_t before) {
  require(run.count >= 1);
  require(run.step > 0 || (run.step == 0 && run.count == 1));
  for (const std::uint64_t i : sample_indices(run)) {
    const double value = run.value(i);
    require(std::isfinite(value));
    require(value == strtod_of(exact_text(run, i)));
    require(list[before + i] == value);
    if (run.whole()) require(std::floor(value) == value);
    if (i + 1 < run.count) require(value <= run.value(i + 1));
  }
  require(run.value(0) <= run.value(run.count / 2));
  require(run.value(run.count / 2) <= run.value(run.count - 1));
}

void check_list(std::string_view text) {
  const fctable::parsed_list parsed = fctable::parse_value_list(text);
  if (!parsed.error.empty()) {
    require(parsed.values.size() == 0 && parsed.values.runs().empty());
    require(printable(parsed.error) && parsed.error.size() <= longest_message);
    return;
  }
  require(!parsed.values.runs().empty());
  std::uint64_t size = 0;
  for (const value_list::run& run : parsed.values.runs()) {
    check_run(parsed.values, run, size);
    size += run.count;
  }
  require(size == parsed.values.size());
  require(size <= fctable::largest_list);
}

void check_number(std::string_view text) {
  const std::optional<double> number = fctable::parse_number(text);
  if (number) {
    require(std::isfinite(*number));
    require(*number == strtod_of(std::string(text)));
  }
  if (text.find_first_of(",:") != std::string_view::npos) return;
  const fctable::parsed_list alone = fctable::parse_value_list(text);
  require(alone.error.empty() == number.has_value());
  if (number) require(alone.values.size() == 1 && alone.values[0] == *number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  check_list(text);
  check_number(text);
  return 0;
}
