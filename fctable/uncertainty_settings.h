#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/value_list.h"

namespace fctable {

// The uncertain background and efficiency of a table: every combination of
// the three lists, b_sigma varying slowest, each with the same pdfs and
// ordering. Unless given, each list holds its known value, so a table
// without the options has one combination, the known background's.
struct uncertainty_settings {
  value_list b_sigma{std::vector<value_list::run>{{0, 0, 0, 1}}};    // 0
  value_list eff{std::vector<value_list::run>{{1, 0, 0, 1}}};        // 1
  value_list eff_sigma{std::vector<value_list::run>{{0, 0, 0, 1}}};  // 0
  fclimits::pdf_shape b_pdf = fclimits::pdf_shape::gauss;
  fclimits::pdf_shape eff_pdf = fclimits::pdf_shape::gauss;
  fclimits::ordering_rule ordering = fclimits::ordering_rule::conrad;
  // Rows say what they were computed with: columns b_sigma, eff and
  // eff_sigma when an uncertainty option was given, and b_pdf, eff_pdf and
  // ordering too when one of theirs was. Without them the table is the
  // known background's, byte for byte.
  bool columns = false;
  bool word_columns = false;

  std::uint64_t size() const { return b_sigma.size() * eff.size() * eff_sigma.size(); }

  // Combination i < size().
  fclimits::uncertainties at(std::uint64_t i) const {
    const std::uint64_t per_b_sigma = eff.size() * eff_sigma.size();
    return {b_sigma[i / per_b_sigma],
            eff[i % per_b_sigma / eff_sigma.size()],
            eff_sigma[i % eff_sigma.size()],
            b_pdf,
            eff_pdf,
            ordering};
  }
};

// Where the counts of coverage come from (fclimits::truth): every
// combination of the true backgrounds and efficiencies given, or the
// count's distribution averaged over the pdfs.
struct truth_settings {
  value_list b;    // empty: the nominal background
  value_list eff;  // empty: the nominal efficiency
  bool averaged = false;

  std::uint64_t size() const {
    return std::max<std::uint64_t>(1, b.size()) * std::max<std::uint64_t>(1, eff.size());
  }

  // Combination i < size().
  fclimits::truth at(std::uint64_t i) const {
    fclimits::truth drawn;
    const std::uint64_t effs = std::max<std::uint64_t>(1, eff.size());
    if (b.size() > 0) drawn.b = b[i / effs];
    if (eff.size() > 0) drawn.eff = eff[i % effs];
    drawn.averaged = averaged;
    return drawn;
  }
};

// The words of the options and columns.
inline constexpr std::string_view pdf_words[] = {"gauss", "lognormal"};
inline constexpr fclimits::pdf_shape pdf_shapes[] = {fclimits::pdf_shape::gauss,
                                                     fclimits::pdf_shape::lognormal};
inline constexpr std::string_view ordering_words[] = {"conrad", "profile"};
inline constexpr fclimits::ordering_rule ordering_rules[] = {fclimits::ordering_rule::conrad,
                                                             fclimits::ordering_rule::profile};

inline std::string_view word_of(fclimits::pdf_shape pdf) {
  return pdf == fclimits::pdf_shape::lognormal ? pdf_words[1] : pdf_words[0];
}

inline std::string_view word_of(fclimits::ordering_rule ordering) {
  return ordering == fclimits::ordering_rule::profile ? ordering_words[1] : ordering_words[0];
}

}  // namespace fctable
