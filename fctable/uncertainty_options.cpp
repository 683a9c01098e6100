// The options of an uncertain background and efficiency: --b-sigma, --eff,
// --eff-sigma, the pdfs and the ordering, for every command.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "fclimits/fclimits.h"
#include "fctable/command.h"
#include "fctable/quoted_text.h"

namespace fctable {
namespace {

constexpr synonym pdf_synonyms[] = {
    {"normal", "gauss"}, {"gaussian", "gauss"}, {"log-normal", "lognormal"}};
constexpr synonym ordering_synonyms[] = {{"hill", "profile"}, {"profiled", "profile"}};

constexpr std::string_view word_options[] = {"--pdf", "--b-pdf", "--eff-pdf", "--ordering"};

// The number options, by the library's names of their values.
struct number_option {
  std::string_view name;
  std::string_view option;
  std::string uncertainty_texts::*text;
};

constexpr number_option number_options[] = {
    {"b_sigma", "--b-sigma", &uncertainty_texts::b_sigma},
    {"eff", "--eff", &uncertainty_texts::eff},
    {"eff_sigma", "--eff-sigma", &uncertainty_texts::eff_sigma}};

fclimits::pdf_shape pdf(const checker& with, std::string_view option, const std::string& text) {
  return pdf_shapes[with.word(option, text, pdf_words, pdf_synonyms)];
}

}  // namespace

void add_uncertainty_options(CLI::App& command, uncertainty_texts& texts) {
  command
      .add_option("--b-sigma", texts.b_sigma,
                  "Standard deviations of the background (default 0: known); with both sigmas "
                  "above 0 a limit takes about 15 ms")
      ->type_name("LIST");
  command
      .add_option("--eff", texts.eff,
                  "Efficiencies: the counts' signal mean is eff times the signal (default 1)")
      ->type_name("LIST");
  command
      .add_option("--eff-sigma", texts.eff_sigma,
                  "Standard deviations of the efficiency (default 0: known)")
      ->type_name("LIST");
  command
      .add_option("--pdf", texts.pdf,
                  "gauss (truncated at 0) or lognormal: the pdf of the uncertain background and "
                  "efficiency")
      ->type_name("PDF")
      ->capture_default_str();
  command.add_option("--b-pdf", texts.b_pdf, "The background's pdf, in the place of --pdf")
      ->type_name("PDF");
  command.add_option("--eff-pdf", texts.eff_pdf, "The efficiency's pdf, in the place of --pdf")
      ->type_name("PDF");
  command
      .add_option("--ordering", texts.ordering,
                  "How counts are ranked with uncertainties: conrad (the best signal's "
                  "probability) or profile (the likelihood profiled over the background)")
      ->type_name("ORDERING")
      ->capture_default_str();
}

void check_uncertainty_options(const checker& with, const uncertainty_texts& texts,
                               table_settings& settings) {
  uncertainty_settings& u = settings.uncertain;
  const fclimits::pdf_shape both = pdf(with, "--pdf", texts.pdf);
  u.b_pdf = with.given("--b-pdf") ? pdf(with, "--b-pdf", texts.b_pdf) : both;
  u.eff_pdf = with.given("--eff-pdf") ? pdf(with, "--eff-pdf", texts.eff_pdf) : both;
  u.ordering =
      ordering_rules[with.word("--ordering", texts.ordering, ordering_words, ordering_synonyms)];
  if (with.given("--b-sigma")) {
    u.b_sigma =
        with.list("--b-sigma", texts.b_sigma,
                  u.b_pdf == fclimits::pdf_shape::lognormal ? value_kind::lognormal_background_sigma
                                                            : value_kind::background_sigma);
  }
  if (with.given("--eff")) u.eff = with.list("--eff", texts.eff, value_kind::efficiency);
  if (with.given("--eff-sigma")) {
    u.eff_sigma = with.list("--eff-sigma", texts.eff_sigma, value_kind::efficiency_sigma);
  }
  for (const std::string_view option : word_options) u.word_columns |= with.given(option);
  u.columns = u.word_columns;
  for (const number_option& n : number_options) u.columns |= with.given(n.option);

  // The backgrounds of a requests file are not read yet: here only what no
  // background refuses, the largest one taking every sigma the others do.
  const double b = settings.requests.empty() ? smallest(settings.b) : fclimits::max_background;
  if (const std::optional<uncertainty_problem> refused = problem_with_uncertainties(b, u)) {
    for (const number_option& n : number_options) {
      if (n.name == refused->name) with.refuse(n.option, texts.*n.text, refused->problem);
    }
  }
  // Exact comparisons: sigma 0 is a known value.
  if (settings.how.method == fclimits::search_method::console &&
      (largest(u.b_sigma) != 0.0 || largest(u.eff_sigma) != 0.0)) {
    with.refuse(
        "--method console has no uncertainties: with --b-sigma or --eff-sigma above 0 the "
        "method must be exact");
  }
}

void check_efficient_means(const checker& with, const value_list& mu, const std::string& mu_text,
                           const value_list& eff, std::string_view eff_option,
                           const std::string& eff_text, value_kind kind) {
  // Rounding keeps the order of products, so the largest is that of the
  // largest factors.
  const double largest_mean = largest(eff) * largest(mu);
  const std::string problem = problem_with(largest_mean, kind);
  if (problem.empty()) return;
  std::string name(eff_option.substr(2));  // "true-eff" reads "true eff"
  std::replace(name.begin(), name.end(), '-', ' ');
  with.refuse("--mu " + as_typed(mu_text) + " with " + std::string(eff_option) + " " +
              as_typed(eff_text) + ": " + name + " mu = " + problem);
}

}  // namespace fctable
