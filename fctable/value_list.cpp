#include "fctable/value_list.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

#include "fctable/quoted_text.h"

namespace fctable {
namespace {

// A decimal number: digits times 10^exponent. Eighteen digits always fit in
// 64 bits, with room for the sums of a range.
struct decimal {
  std::int64_t digits = 0;
  std::int32_t exponent = 0;
};

constexpr std::size_t most_digits = 18;
// Far beyond any double (whose decimal exponents end near 308 and -324), so
// the conversion reports the range, yet far from overflowing an int32.
constexpr std::int32_t exponent_cap = 100000;

struct parsed_decimal {
  decimal value;
  std::string error;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

parsed_decimal parse_decimal(std::string_view text) {
  const std::string not_a_number = quoted(text) + " is not a number";
  std::size_t at = 0;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  std::string digits;
  // 64 bits: the digits after the point count down from 0 by at most the
  // text's length.
  std::int64_t exponent = 0;
  bool any_digit = false;
  for (; at < text.size() && is_digit(text[at]); ++at, any_digit = true) digits += text[at];
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && is_digit(text[at]); ++at, any_digit = true) {
      digits += text[at];
      --exponent;
    }
  }
  if (!any_digit) return {{}, not_a_number};
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    const bool negative_exponent = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    if (at == text.size()) return {{}, not_a_number};
    // The digits after the point and the zeros trimmed below move the
    // exponent by at most the text's length, so a written exponent capped
    // that far beyond exponent_cap still leaves the value beyond the range:
    // 0.<100000 zeros>1e100300 is 1e299.
    const std::int64_t written_cap = static_cast<std::int64_t>(text.size()) + exponent_cap;
    std::int64_t written = 0;
    for (; at < text.size() && is_digit(text[at]); ++at) {
      written = std::min(written_cap, written * 10 + (text[at] - '0'));
    }
    exponent += negative_exponent ? -written : written;
  }
  if (at != text.size()) return {{}, not_a_number};

  const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size());
  digits.erase(0, first);
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    ++exponent;
  }
  if (digits.empty()) return {};  // zero, whatever its exponent
  if (digits.size() > most_digits) {
    return {{},
            quoted(text) + " has more than " + std::to_string(most_digits) + " significant digits"};
  }
  std::int64_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  // Past exponent_cap, 1 to 18 digits are beyond the range of a double
  // either way.
  const auto capped =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(exponent, -exponent_cap, exponent_cap));
  return {{negative ? -value : value, capped}, {}};
}

std::optional<double> to_double(std::int64_t digits, std::int32_t exponent) {
  char text[48];
  // At most 20 characters for the digits, 7 for the exponent.
  char* end = std::to_chars(text, text + 24, digits).ptr;
  *end++ = 'e';
  end = std::to_chars(end, text + sizeof text, exponent).ptr;
  double value = 0.0;
  const auto [ptr, error] = std::from_chars(text, end, value);
  if (error != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

// digits times 10^places, if that fits in 64 bits.
std::optional<std::int64_t> scaled(std::int64_t digits, std::int32_t places) {
  for (std::int32_t k = 0; k < places && digits != 0; ++k) {
    if (__builtin_mul_overflow(digits, std::int64_t{10}, &digits)) return std::nullopt;
  }
  return digits;
}

struct parsed_run {
  value_list::run run;
  std::string error;
};

parsed_run parse_run(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t colon = text.find(':', from);
    parts.push_back(text.substr(from, colon - from));
    if (colon == std::string_view::npos) break;
    from = colon + 1;
  }
  if (parts.size() > 3) {
    return {{}, quoted(text) + " is not a value or a range start:stop or start:stop:step"};
  }
  decimal bounds[3] = {{}, {}, {1, 0}};
  for (std::size_t k = 0; k < parts.size(); ++k) {
    parsed_decimal part = parse_decimal(parts[k]);
    if (!part.error.empty()) return {{}, part.error};
    bounds[k] = part.value;
  }
  const decimal& start = bounds[0];
  if (parts.size() == 1) {
    const value_list::run single{start.digits, 0, start.exponent, 1};
    if (!to_double(start.digits, start.exponent)) {
      return {{}, quoted(text) + " lies beyond the range of a double"};
    }
    return {single, {}};
  }

  // All three in units of the finest of them; a zero has no finest unit.
  std::int32_t unit = exponent_cap;
  for (const decimal& d : bounds) {
    if (d.digits != 0) unit = std::min(unit, d.exponent);
  }
  std::int64_t in_units[3] = {};
  for (int k = 0; k < 3; ++k) {
    const auto value = scaled(bounds[k].digits, bounds[k].exponent - unit);
    if (!value) {
      return {{},
              "the range " + quoted(text) + " needs more than " + std::to_string(most_digits) +
                  " digits for its values"};
    }
    in_units[k] = *value;
  }
  const auto [first, last, step] = in_units;
  if (step <= 0) return {{}, "the step of the range " + quoted(text) + " is not above 0"};
  if (last < first) return {{}, "the range " + quoted(text) + " ends below its start"};
  std::int64_t span = 0;
  if (__builtin_sub_overflow(last, first, &span)) {
    return {{}, "the range " + quoted(text) + " is too wide"};
  }
  const auto count = static_cast<std::uint64_t>(span / step) + 1;
  if (count > largest_list) {
    return {{},
            "the range " + quoted(text) + " holds more than " + std::to_string(largest_list) +
                " values"};
  }
  const value_list::run range{first, step, unit, count};
  // The values lie between the two ends, so checking those checks them all.
  if (!to_double(first, unit) ||
      !to_double(first + static_cast<std::int64_t>(count - 1) * step, unit)) {
    return {{}, "the range " + quoted(text) + " reaches beyond the range of a double"};
  }
  return {range, {}};
}

}  // namespace

double value_list::run::value(std::uint64_t i) const {
  // Exact: i step is at most the width of the range, which fits.
  const std::int64_t digits = start + static_cast<std::int64_t>(i) * step;
  // The ends are checked, so a value between them fails to convert only by
  // rounding to zero (a tiny step near zero, 1e-324 in 0:5e-324:1e-324):
  // zero is then its nearest double.
  return to_double(digits, exponent).value_or(digits < 0 ? -0.0 : 0.0);
}

bool value_list::run::whole() const {
  if (exponent >= 0) return true;
  const auto unit = scaled(1, -exponent);
  if (!unit) return start == 0 && step == 0;  // below 1e-18 only zero is whole
  return start % *unit == 0 && step % *unit == 0;
}

value_list::value_list(std::vector<run> runs) : runs_(std::move(runs)) {
  for (const run& r : runs_) {
    size_ += r.count;
    ends_.push_back(size_);
  }
}

double value_list::operator[](std::uint64_t i) const {
  const auto k =
      static_cast<std::size_t>(std::upper_bound(ends_.begin(), ends_.end(), i) - ends_.begin());
  const std::uint64_t before = k == 0 ? 0 : ends_[k - 1];
  return runs_[k].value(i - before);
}

parsed_list parse_value_list(std::string_view text) {
  std::vector<value_list::run> runs;
  std::uint64_t size = 0;
  for (std::size_t from = 0;;) {
    const std::size_t comma = text.find(',', from);
    const std::string_view item = text.substr(from, comma - from);
    if (item.empty()) return {{}, "an empty value in the list " + quoted(text)};
    parsed_run parsed = parse_run(item);
    if (!parsed.error.empty()) return {{}, std::move(parsed.error)};
    size += parsed.run.count;
    if (size > largest_list) {
      return {{}, "the list holds more than " + std::to_string(largest_list) + " values"};
    }
    runs.push_back(parsed.run);
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  return {value_list(std::move(runs)), {}};
}

std::optional<double> parse_number(std::string_view text) {
  const parsed_decimal parsed = parse_decimal(text);
  if (!parsed.error.empty()) return std::nullopt;
  return to_double(parsed.value.digits, parsed.value.exponent);
}

}  // namespace fctable
