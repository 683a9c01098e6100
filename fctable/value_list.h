#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fctable {

// The longest list: more values than any table could hold in a lifetime,
// and small enough that products of list sizes stay far from 64 bits.
inline constexpr std::uint64_t largest_list = std::uint64_t{1} << 40;

// A list of values as typed after an option: values and ranges separated by
// commas. A range start:stop:step holds start + i step for i = 0, 1, ...
// while that is at most stop (start:stop steps by 1). Each value is worked
// out exactly in decimal and rounded to double once, so 0:1:0.1 holds the
// same ten doubles as typing 0.1, 0.2, ..., 1, and the stop is met exactly
// when it is a whole number of steps away. A list keeps its ranges, never
// their values: a range of a million values costs no more than its text.
class value_list {
 public:
  // One value or range: (start + i step) times 10^exponent for i = 0 ..
  // count - 1, in exact decimal arithmetic. A single value has step 0.
  struct run {
    std::int64_t start = 0;
    std::int64_t step = 0;
    std::int32_t exponent = 0;
    std::uint64_t count = 0;

    // The double nearest to the i-th value.
    double value(std::uint64_t i) const;
    // Whether every value is a whole number.
    bool whole() const;
  };

  value_list() = default;
  explicit value_list(std::vector<run> runs);

  std::uint64_t size() const { return size_; }

  // The i-th value of the whole list, i < size().
  double operator[](std::uint64_t i) const;

  std::span<const run> runs() const { return runs_; }

 private:
  std::vector<run> runs_;
  std::vector<std::uint64_t> ends_;  // ends_[k]: the values in runs 0..k
  std::uint64_t size_ = 0;
};

// A list, or what is wrong with its text ("the step 0 of 0:1:0 is not above
// 0"). Never both.
struct parsed_list {
  value_list values;
  std::string error;
};

parsed_list parse_value_list(std::string_view text);

// One decimal number ("0.5", "-3", "1e-3", "+.5"): the double nearest to
// it, or nothing for any other text, including "nan", "inf", hexadecimal
// and numbers beyond the double range.
std::optional<double> parse_number(std::string_view text);

}  // namespace fctable
