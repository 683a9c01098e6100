// fctable limits: the lower and upper limit for every n, b and cl, from
// lists or from a requests file, in rows or in the paper's layout.
#include <cstdint>
#include <memory>
#include <string>

#include "fctable/commands.h"
#include "fctable/paper_blocks.h"
#include "fctable/table_job.h"

namespace fctable {
namespace {

// More columns than a LaTeX table could hold on any page.
constexpr std::uint64_t most_columns = 1000;

struct limits_texts {
  std::string n, b, cl, requests, layout = "rows", columns;
  uncertainty_texts uncertain;
  search_texts search;
  output_texts output;
};

constexpr std::string_view layout_words[] = {"rows", "paper"};
constexpr table_layout layouts[] = {table_layout::rows, table_layout::paper};

table_settings check_limits(const checker& with, const limits_texts& texts) {
  table_settings settings;
  settings.cl =
      with.list("--cl", with.given("--cl") ? texts.cl : default_levels, value_kind::level);
  if (with.given("--requests")) {
    if (with.given("--n") || with.given("--b")) {
      with.refuse("--requests takes the place of --n and --b");
    }
    settings.requests = texts.requests;
    settings.make_job = make_requests_job;
  } else {
    if (!with.given("--n") || !with.given("--b")) {
      with.refuse("limits needs --n and --b, or --requests");
    }
    settings.n = with.list("--n", texts.n, value_kind::count);
    settings.b = with.list("--b", texts.b, value_kind::background);
    settings.make_job = make_limits_job;
  }
  check_search_options(with, texts.search, settings);
  check_uncertainty_options(with, texts.uncertain, settings);
  check_output_options(with, texts.output, settings);
  settings.layout = layouts[with.word("--layout", texts.layout, layout_words)];
  if (settings.layout == table_layout::paper) {
    if (!settings.requests.empty()) with.refuse("--layout paper needs --n and --b, not --requests");
    if (settings.cl.size() != 1) {
      with.refuse("--layout paper needs one level: give --cl with one value");
    }
    if (settings.uncertain.size() != 1) {
      with.refuse(
          "--layout paper needs one b_sigma, eff and eff_sigma: give --b-sigma, --eff and "
          "--eff-sigma one value each");
    }
  }
  const bool latex_paper =
      settings.layout == table_layout::paper && settings.format == table_format::latex;
  if (with.given("--columns")) {
    if (!latex_paper) {
      with.refuse("--columns", texts.columns,
                  "only the LaTeX table of the paper layout comes in blocks of columns: give "
                  "--layout paper --format latex");
    }
    settings.columns =
        with.whole("--columns", texts.columns, 1, most_columns, "a number of columns");
  } else if (latex_paper) {
    settings.columns = page_columns;
  }
  return settings;
}

}  // namespace

command setup_limits(CLI::App& program) {
  auto texts = std::make_shared<limits_texts>();
  CLI::App* limits =
      add_command(program, "limits",
                  "The lower and upper limit for every n, b and cl (rows in the order n, b, cl, "
                  "then the uncertainties).");
  limits->add_option("--n", texts->n, "Measured counts")->type_name("LIST");
  limits->add_option("--b", texts->b, backgrounds_help("Backgrounds"))->type_name("LIST");
  limits
      ->add_option("--cl", texts->cl,
                   std::string("Confidence levels (default ") + default_levels + ")")
      ->type_name("LIST");
  limits
      ->add_option("--requests", texts->requests,
                   "Read one 'n b' or 'n b cl' a line from FILE (- for standard input) "
                   "instead of --n and --b; blank lines and lines starting with # are "
                   "skipped")
      ->type_name("FILE");
  limits
      ->add_option("--layout", texts->layout,
                   "rows, or paper: rows n, columns b, cells 'lower, upper' (one level)")
      ->type_name("LAYOUT")
      ->capture_default_str();
  limits
      ->add_option("--columns", texts->columns,
                   "At most K background columns a block in the LaTeX paper layout (default " +
                       std::to_string(page_columns) + ": a portrait A4 page at two decimals)")
      ->type_name("K");
  add_uncertainty_options(*limits, texts->uncertain);
  add_search_options(*limits, texts->search);
  add_output_options(*limits, texts->output);
  return {limits, [texts](const checker& with) { return check_limits(with, *texts); }};
}

}  // namespace fctable
