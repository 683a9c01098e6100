// fctable belt: the acceptance region at each signal mean.
#include <memory>
#include <string>

#include "fctable/commands.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

struct belt_texts {
  std::string b, cl, mu;
  uncertainty_texts uncertain;
  output_texts output;
};

table_settings check_belt(const checker& with, const belt_texts& texts) {
  table_settings settings;
  settings.cl = with.one("--cl", texts.cl, value_kind::level, "confidence level");
  settings.b = with.one("--b", texts.b, value_kind::background, "background");
  settings.mu = with.list("--mu", texts.mu, value_kind::mean);
  check_uncertainty_options(with, texts.uncertain, settings);
  check_efficient_means(with, settings.mu, texts.mu, settings.uncertain.eff, "--eff",
                        texts.uncertain.eff, value_kind::mean);
  check_output_options(with, texts.output, settings);
  settings.make_job = make_belt_job;
  return settings;
}

}  // namespace

command setup_belt(CLI::App& program) {
  auto texts = std::make_shared<belt_texts>();
  CLI::App* belt =
      add_command(program, "belt",
                  "The acceptance region at each signal mean: mu, n_low, n_high, probability "
                  "(with uncertainties each combination's belt in turn, and whether its "
                  "regions are contiguous).");
  belt->add_option("--b", texts->b, backgrounds_help("The background"))->type_name("B")->required();
  belt->add_option("--cl", texts->cl, "The confidence level")->type_name("CL")->required();
  belt->add_option("--mu", texts->mu, "Signal means")->type_name("LIST")->required();
  add_uncertainty_options(*belt, texts->uncertain);
  add_output_options(*belt, texts->output);
  return {belt, [texts](const checker& with) { return check_belt(with, *texts); }};
}

}  // namespace fctable
