// fctable sensitivity: the average upper limit with no true signal.
#include <memory>
#include <string>

#include "fctable/commands.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

struct sensitivity_texts {
  std::string b, cl;
  uncertainty_texts uncertain;
  search_texts search;
  output_texts output;
};

table_settings check_sensitivity(const checker& with, const sensitivity_texts& texts) {
  table_settings settings;
  settings.cl =
      with.list("--cl", with.given("--cl") ? texts.cl : default_levels, value_kind::level);
  settings.b = with.list("--b", texts.b, value_kind::background);
  check_search_options(with, texts.search, settings);
  check_uncertainty_options(with, texts.uncertain, settings);
  check_output_options(with, texts.output, settings);
  settings.make_job = make_sensitivity_job;
  return settings;
}

}  // namespace

command setup_sensitivity(CLI::App& program) {
  auto texts = std::make_shared<sensitivity_texts>();
  CLI::App* sensitivity = add_command(
      program, "sensitivity", "The average upper limit with no true signal, for every b and cl.");
  sensitivity->add_option("--b", texts->b, backgrounds_help("Backgrounds"))
      ->type_name("LIST")
      ->required();
  sensitivity
      ->add_option("--cl", texts->cl,
                   std::string("Confidence levels (default ") + default_levels + ")")
      ->type_name("LIST");
  add_uncertainty_options(*sensitivity, texts->uncertain);
  add_search_options(*sensitivity, texts->search);
  add_output_options(*sensitivity, texts->output);
  return {sensitivity, [texts](const checker& with) { return check_sensitivity(with, *texts); }};
}

}  // namespace fctable
