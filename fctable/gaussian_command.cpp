// fctable gaussian: the limits on a mean bounded at zero from a Gaussian
// measurement, for every x, sigma and cl, in rows or in the paper's layout.
#include <memory>
#include <string>

#include "fctable/commands.h"
#include "fctable/paper_blocks.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

struct gaussian_texts {
  std::string x, sigma = "1", cl, layout = "rows";
  output_texts output;
};

constexpr std::string_view layout_words[] = {"rows", "paper"};
constexpr table_layout layouts[] = {table_layout::rows, table_layout::paper};

table_settings check_gaussian(const checker& with, const gaussian_texts& texts) {
  table_settings settings;
  settings.x = with.list("--x", texts.x, value_kind::measurement);
  settings.sigma = with.list("--sigma", texts.sigma, value_kind::sigma);
  settings.cl =
      with.list("--cl", with.given("--cl") ? texts.cl : default_levels, value_kind::level);
  check_output_options(with, texts.output, settings);
  settings.layout = layouts[with.word("--layout", texts.layout, layout_words)];
  settings.axes = paper_axes::measurement_by_level;
  if (settings.layout == table_layout::paper) {
    if (settings.sigma.size() != 1) {
      with.refuse("--layout paper needs one sigma: give --sigma with one value");
    }
    if (settings.format == table_format::latex) settings.columns = page_columns;
  }
  settings.make_job = make_gaussian_job;
  return settings;
}

}  // namespace

command setup_gaussian(CLI::App& program) {
  auto texts = std::make_shared<gaussian_texts>();
  CLI::App* gaussian = add_command(
      program, "gaussian",
      "The limits on a mean mu >= 0 from a Gaussian measurement x of standard deviation sigma, "
      "for every x, sigma and cl (rows in that order).");
  gaussian->add_option("--x", texts->x, "Measurements, any finite values")
      ->type_name("LIST")
      ->required();
  gaussian->add_option("--sigma", texts->sigma, "Standard deviations, finite and > 0")
      ->type_name("LIST")
      ->capture_default_str();
  gaussian
      ->add_option("--cl", texts->cl,
                   std::string("Confidence levels (default ") + default_levels + ")")
      ->type_name("LIST");
  gaussian
      ->add_option("--layout", texts->layout,
                   "rows, or paper: rows x, columns cl, cells 'lower, upper' (one sigma)")
      ->type_name("LAYOUT")
      ->capture_default_str();
  add_output_options(*gaussian, texts->output);
  return {gaussian, [texts](const checker& with) { return check_gaussian(with, *texts); }};
}

}  // namespace fctable
