#include "app/dialogue.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "console/console_unit.h"
#include "console/error_stop.h"
#include "console/number_input.h"
#include "limits/lower_limit.h"
#include "limits/upper_limit.h"

namespace app {
namespace {

struct confidence_row {
  double cl;
  std::string_view label;  // 12 characters, ending in a blank
};

constexpr std::array<confidence_row, 3> confidence_rows = {{
    {0.6827, "with 68.27% "},
    {0.90, "with 90.00% "},
    {0.95, "with 95.00% "},
}};

// One banner record per row; a row's items go into the same record.
constexpr std::array<std::array<std::string_view, 2>, 7> banner = {{
    {"  ", ""},
    {"    Estimation of lower and upper limits on effect", " in accordance"},
    {"       with the Feldman-Cousins procedure", " (PRD 57(1998)3873)"},
    {"   using the ADMA program (Trelvanic-Osperwight,", " CPC 130(2000)190)"},
    {"  ", ""},
    {"Nm - measured number of events", ""},
    {"b  - supposed background", ""},
}};

void print_banner() {
  for (const auto& row : banner) {
    console::begin_list_record();
    for (const std::string_view item : row) {
      if (!item.empty()) console::put_text(item);
    }
    console::end_list_record();
  }
}

// Negative input would drive the searches outside their domain (negative
// means and counts): it is refused as an invalid value of its kind.
void refuse_negative_input(std::int32_t Nm, double b) {
  if (Nm < 0)
    console::error_stop(console::error_code::invalid_integer, console::statement_kind::read);
  if (b < 0.0)
    console::error_stop(console::error_code::invalid_real, console::statement_kind::read);
}

}  // namespace

void run_dialogue() {
  print_banner();
  // Kept from pass to pass: a value left out of the input keeps the last one.
  std::int32_t Nm = 0;
  double b = 0.0;
  while (true) {
    console::write_prompt();
    console::begin_input_statement();
    console::read_item(Nm);
    console::read_item(b);
    console::end_input_statement();
    refuse_negative_input(Nm, b);

    // All six limits are computed before anything is printed.
    std::array<double, 6> limit_table{};
    for (std::size_t row = 0; row < confidence_rows.size(); ++row) {
      const double cl = confidence_rows[row].cl;
      limit_table[2 * row] = limits::lower_limit(Nm, b, cl);
      limit_table[2 * row + 1] = limits::upper_limit(Nm, b, cl);
    }

    console::begin_list_record();
    console::put_text("effect's limits are equal:");
    console::end_list_record();
    for (std::size_t row = 0; row < confidence_rows.size(); ++row) {
      console::begin_list_record();
      console::put_text(confidence_rows[row].label);
      console::put_real(limit_table[2 * row]);
      console::put_real(limit_table[2 * row + 1]);
      console::end_list_record();
    }
  }
}

}  // namespace app
