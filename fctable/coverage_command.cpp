// fctable coverage: the probability that the reported interval contains
// each true signal mean, with a summary on standard error.
#include <memory>
#include <string>

#include "fctable/commands.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

struct coverage_texts {
  std::string b, cl, mu, true_b, true_eff;
  bool averaged = false;
  uncertainty_texts uncertain;
  search_texts search;
  output_texts output;
};

table_settings check_coverage(const checker& with, const coverage_texts& texts) {
  table_settings settings;
  settings.cl = with.one("--cl", texts.cl, value_kind::level, "confidence level");
  settings.b = with.one("--b", texts.b, value_kind::background, "background");
  settings.mu = with.list("--mu", texts.mu, value_kind::coverage_mean);
  check_search_options(with, texts.search, settings);
  check_uncertainty_options(with, texts.uncertain, settings);
  truth_settings& truth = settings.truth;
  truth.averaged = texts.averaged;
  if (truth.averaged && (with.given("--true-b") || with.given("--true-eff"))) {
    with.refuse(
        "--averaged draws the background and efficiency from their pdfs: it takes no --true-b "
        "or --true-eff");
  }
  if (with.given("--true-b")) truth.b = with.list("--true-b", texts.true_b, value_kind::background);
  if (with.given("--true-eff")) {
    truth.eff = with.list("--true-eff", texts.true_eff, value_kind::efficiency);
    check_efficient_means(with, settings.mu, texts.mu, truth.eff, "--true-eff", texts.true_eff,
                          value_kind::coverage_mean);
  } else {
    check_efficient_means(with, settings.mu, texts.mu, settings.uncertain.eff, "--eff",
                          texts.uncertain.eff, value_kind::coverage_mean);
  }
  check_output_options(with, texts.output, settings);
  settings.make_job = make_coverage_job;
  return settings;
}

}  // namespace

command setup_coverage(CLI::App& program) {
  auto texts = std::make_shared<coverage_texts>();
  CLI::App* coverage =
      add_command(program, "coverage",
                  "The probability that the reported interval contains each true signal mean (with "
                  "uncertainties each combination's means in turn); a summary on standard error.");
  coverage->add_option("--b", texts->b, backgrounds_help("The background"))
      ->type_name("B")
      ->required();
  coverage->add_option("--cl", texts->cl, "The confidence level")->type_name("CL")->required();
  coverage->add_option("--mu", texts->mu, "Signal means")->type_name("LIST")->required();
  add_uncertainty_options(*coverage, texts->uncertain);
  coverage
      ->add_option("--true-b", texts->true_b,
                   "True backgrounds the counts are drawn with (default: b)")
      ->type_name("LIST");
  coverage
      ->add_option("--true-eff", texts->true_eff,
                   "True efficiencies the counts are drawn with (default: eff)")
      ->type_name("LIST");
  coverage->add_flag("--averaged", texts->averaged,
                     "Draw the counts from their distribution averaged over the pdfs of the "
                     "background and efficiency");
  add_search_options(*coverage, texts->search);
  add_output_options(*coverage, texts->output);
  return {coverage, [texts](const checker& with) { return check_coverage(with, *texts); }};
}

}  // namespace fctable
