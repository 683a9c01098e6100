// fctable gaussian-belt: the acceptance interval of a Gaussian measurement
// at each mean bounded at zero.
#include <memory>
#include <string>

#include "fctable/commands.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

struct gaussian_belt_texts {
  std::string mu, sigma = "1", cl;
  output_texts output;
};

table_settings check_gaussian_belt(const checker& with, const gaussian_belt_texts& texts) {
  table_settings settings;
  settings.mu = with.list("--mu", texts.mu, value_kind::gaussian_mean);
  settings.sigma = with.list("--sigma", texts.sigma, value_kind::sigma);
  settings.cl = with.list("--cl", texts.cl, value_kind::level);
  check_output_options(with, texts.output, settings);
  settings.make_job = make_gaussian_belt_job;
  return settings;
}

}  // namespace

command setup_gaussian_belt(CLI::App& program) {
  auto texts = std::make_shared<gaussian_belt_texts>();
  CLI::App* belt = add_command(
      program, "gaussian-belt",
      "The acceptance interval of a Gaussian measurement at each mean mu >= 0: mu, sigma, cl, "
      "x_low, x_high (x_low is -inf at mu = 0 for cl >= 0.5; null in JSON).");
  belt->add_option("--mu", texts->mu, "Means, finite and >= 0")->type_name("LIST")->required();
  belt->add_option("--sigma", texts->sigma, "Standard deviations, finite and > 0")
      ->type_name("LIST")
      ->capture_default_str();
  belt->add_option("--cl", texts->cl, "Confidence levels")->type_name("LIST")->required();
  add_output_options(*belt, texts->output);
  return {belt, [texts](const checker& with) { return check_gaussian_belt(with, *texts); }};
}

}  // namespace fctable
