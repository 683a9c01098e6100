// The built fctable as a user runs it: arguments, pipes, a terminal for the
// progress line, signals; its numbers checked against the library.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/quoted_text.h"
#include "fctable/requests.h"
#include "fctable/tests/fctable_runner.h"

namespace {

using fctable_test::run_fctable;
using fctable_test::run_result;
using fctable_test::run_setup;
using arguments = std::vector<std::string>;

double read_double(const std::string& text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

// The data lines of a CSV table split at commas (no field here is quoted).
std::vector<std::vector<std::string>> csv_rows(const std::string& table) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(table);
  std::string line;
  std::getline(lines, line);  // the header
  while (std::getline(lines, line)) {
    std::vector<std::string>& fields = rows.emplace_back();
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, ',');) fields.push_back(field);
  }
  return rows;
}

// The data lines of a CSV table, each field by its column's name.
std::vector<std::map<std::string, std::string>> csv_records(const std::string& table) {
  std::istringstream lines(table);
  std::string header;
  std::getline(lines, header);
  std::vector<std::string> names;
  std::istringstream parts(header);
  for (std::string name; std::getline(parts, name, ',');) names.push_back(name);
  std::vector<std::map<std::string, std::string>> records;
  for (const std::vector<std::string>& row : csv_rows(table)) {
    std::map<std::string, std::string>& record = records.emplace_back();
    for (std::size_t k = 0; k < row.size() && k < names.size(); ++k) record[names[k]] = row[k];
  }
  return records;
}

arguments with(arguments base, const arguments& more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

// A folder of its own for each test that writes files, removed afterwards.
class scratch_folder {
 public:
  scratch_folder() {
    std::string name = (std::filesystem::temp_directory_path() / "fctable-test-XXXXXX").string();
    path_ = ::mkdtemp(name.data());
  }

  ~scratch_folder() { std::filesystem::remove_all(path_); }

  std::string file(const char* name) const { return (path_ / name).string(); }

  const char* path() const { return path_.c_str(); }

  std::vector<std::string> contents() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path path_;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct error_case {
  arguments args;
  const char* message;  // the first line on standard error
  const char* input = "";
};

const error_case error_cases[] = {
    {{}, "fctable: A subcommand is required"},
    {{"limits", "--b", "1"}, "fctable: limits needs --n and --b, or --requests"},
    // An unknown name: what was typed, and the closest name or the valid ones.
    {{"limits", "--confidence", "0.9"}, "fctable: unknown option --confidence: did you mean --cl?"},
    {{"limits", "--n", "1", "--background", "3"},
     "fctable: unknown option --background: did you mean --b?"},
    {{"belt", "--b", "1", "--cl", "0.9", "--mean", "0:1"},
     "fctable: unknown option --mean: did you mean --mu?"},
    {{"limits", "--n", "1", "--b", "-1", "--thraeds", "2"},
     "fctable: unknown option --thraeds: did you mean --threads?"},
    {{"coverage", "--b", "1", "--mu", "0:1", "--confidence", "0.9"},
     "fctable: unknown option --confidence: did you mean --cl?"},
    {{"limits", "--n", "1", "--b", "1", "--speed", "2"},
     "fctable: unknown option --speed: the options of limits are --n, --b, --cl, --requests, "
     "--layout, --columns, --b-sigma, --eff, --eff-sigma, --pdf, --b-pdf, --eff-pdf, --ordering, "
     "--method, --tolerance, --no-correction, --format, --digits, --threads, --shard, "
     "--no-header, --output and --quiet"},
    {{"limits", "--n", "1", "--b", "1", "--efficiency", "0.5"},
     "fctable: unknown option --efficiency: did you mean --eff?"},
    {{"limit", "--n", "1", "--b", "1"}, "fctable: unknown command 'limit': did you mean 'limits'?"},
    {{"tables"},
     "fctable: unknown command 'tables': the commands are limits, belt, coverage, sensitivity, "
     "gaussian and gaussian-belt"},
    {{"--quiet", "limits"},
     "fctable: unknown option --quiet: a command comes first: limits, belt, coverage, "
     "sensitivity, gaussian or gaussian-belt"},
    {{"limits", "--n", "1", "--b", "1", "3"},
     "fctable: The following argument was not expected: 3"},
    // Refused before the thousands of rows ahead of it take minutes.
    {{"limits", "--n", "0:20", "--b", "0:700:0.5,800"},
     "fctable: --b 0:700:0.5,800: 800 is too large: the largest background computed is 705"
     " (the Poisson terms overflow the double range above about 707)"},
    {{"limits", "--n", "0", "--b", "705.5"},
     "fctable: --b 705.5: 705.5 is too large: the largest background computed is 705"
     " (the Poisson terms overflow the double range above about 707)"},
    {{"limits", "--n", "0:4:0.5", "--b", "1"},
     "fctable: --n 0:4:0.5: 0.5 is not a count: it must be a whole number from 0 to 2147483647"},
    {{"limits", "--n", "0", "--b", "0:1:0"},
     "fctable: --b 0:1:0: the step of the range '0:1:0' is not above 0"},
    {{"limits", "--n", "0", "--b", "1", "--cl", "0.9,95"},
     "fctable: --cl 0.9,95: 95 is not a confidence level: it must lie strictly between 0 and 1"},
    {{"limits", "--n", "0", "--b", "x"}, "fctable: --b x: 'x' is not a number"},
    {{"limits", "--n", "0", "--b", "0:1,\x7f"},
     "fctable: --b '0:1,\\x7f': '\\x7f' is not a number"},
    {{"limits", "--n", "0", "--b", "1", "--method", "fast"},
     "fctable: --method fast: expected exact or console"},
    {{"limits", "--n", "0", "--b", "1", "--tolerance", "1e-6"},
     "fctable: --tolerance 1e-6: is for the console method (--method console): the exact method "
     "finds each limit to adjacent doubles"},
    {{"limits", "--n", "0", "--b", "1", "--tolerance", "-1"},
     "fctable: --tolerance -1: -1 is not a search tolerance: it must be finite and >= 0 (0: the "
     "method's own)"},
    {{"limits", "--n", "10", "--b", "3", "--tolerance", "1e308"},
     "fctable: --tolerance 1e308: 1e+308 is too large: the coarsest search tolerance is 1e+10"},
    {{"belt", "--b", "3", "--cl", "0.9", "--mu", "0,3e9"},
     "fctable: --mu 0,3e9: 3e+09 is too large: the largest mean taken is 2e+09 (its counts stay "
     "within 32 bits)"},
    {{"coverage", "--b", "3", "--cl", "0.9", "--mu", "1e6"},
     "fctable: --mu 1e6: 1e+06 is too large for coverage: the largest mean it is computed at is "
     "1e+05 (its cost grows as mu^1.5)"},
    {{"limits", "--n", "0", "--b", "1", "--format", "xml"},
     "fctable: --format xml: expected csv, tsv, json, markdown or latex"},
    {{"limits", "--n", "0", "--b", "1", "--layout", "paper"},
     "fctable: --layout paper needs one level: give --cl with one value"},
    {{"limits", "--n", "0", "--b", "1", "--cl", "0.9", "--layout", "paper", "--columns", "4"},
     "fctable: --columns 4: only the LaTeX table of the paper layout comes in blocks of columns: "
     "give --layout paper --format latex"},
    {{"limits", "--n", "0", "--b", "1", "--cl", "0.9", "--layout", "paper", "--format", "latex",
      "--columns", "0"},
     "fctable: --columns 0: expected a number of columns: a whole number from 1 to 1000"},
    {{"limits", "--n", "0", "--b", "1", "--threads", "0"},
     "fctable: --threads 0: expected a number of threads: a whole number from 1 to 1024"},
    {{"limits", "--n", "0", "--b", "1", "--digits", "2.5"},
     "fctable: --digits 2.5: expected a number of decimals: a whole number from 0 to 20"},
    {{"limits", "--n", "0", "--b", "1", "--shard", "4/3"},
     "fctable: --shard 4/3: expected K/N: part K of N, 1 <= K <= N <= 1000000"},
    {{"limits", "--requests", "-", "--n", "1"},
     "fctable: --requests takes the place of --n and --b"},
    {{"limits", "--requests", "-"},
     "fctable: --requests -, line 3 '4 706': b = 706 is too large: the largest background "
     "computed is 705 (the Poisson terms overflow the double range above about 707)",
     "0 3\n# n b\n4 706\n"},
    {{"limits", "--requests", "-"},
     "fctable: --requests -, line 2 '10,3,0.9,\\x07': expected 'n b' or 'n b cl'",
     "10, 3\n10,3,0.9,\a\n"},
    {{"limits", "--requests", "/nonexistent/requests.txt"},
     "fctable: --requests /nonexistent/requests.txt: No such file or directory"},
    {{"belt", "--b", "1,2", "--cl", "0.9", "--mu", "0:1"},
     "fctable: --b 1,2: expected one background"},
    {{"gaussian", "--x", "1", "--sigma", "1,0"},
     "fctable: --sigma 1,0: 0 is not a standard deviation: it must be finite and > 0"},
    {{"gaussian", "--x", "1", "--sigma", "1,2", "--layout", "paper"},
     "fctable: --layout paper needs one sigma: give --sigma with one value"},
    {{"gaussian-belt", "--mu", "-1:1", "--cl", "0.9"},
     "fctable: --mu -1:1: -1 is not a mean: it must be finite and >= 0"},
    {{"coverage", "--b", "1", "--mu", "0:1"}, "fctable: --cl is required"},
    {{"sensitivity", "--b", "3", "--cl", "1.5"},
     "fctable: --cl 1.5: 1.5 is not a confidence level: it must lie strictly between 0 and 1"},
    // A mistyped word: the closest one.
    {{"limits", "--n", "0", "--b", "1", "--method", "exat"},
     "fctable: --method exat: expected exact or console; did you mean exact?"},
    {{"limits", "--n", "0", "--b", "1", "--format", "jsn"},
     "fctable: --format jsn: expected csv, tsv, json, markdown or latex; did you mean json?"},
    {{"limits", "--n", "0", "--b", "1", "--pdf", "normal"},
     "fctable: --pdf normal: expected gauss or lognormal; did you mean gauss?"},
    // Uncertainties: each value, then each combination with the backgrounds
    // and efficiencies, the one named that the rules refuse first.
    {{"sensitivity", "--b", "1", "--b-sigma", "0.5,-0.5"},
     "fctable: --b-sigma 0.5,-0.5: -0.5 is not a standard deviation: it must be finite and >= 0"},
    {{"limits", "--n", "1", "--b", "0:2", "--b-sigma", "0.5", "--pdf", "lognormal"},
     "fctable: --b-sigma 0.5: 0.5 cannot be given to a lognormal background of b = 0: its pdf "
     "cannot be normalised (a Gaussian can)"},
    {{"limits", "--n", "1", "--b", "2,1", "--b-sigma", "0:1.5:0.5", "--b-pdf", "lognormal"},
     "fctable: --b-sigma 0:1.5:0.5: 1.5 is too large: a lognormal background's sigma is at most b "
     "(here b = 1)"},
    {{"belt", "--b", "1", "--cl", "0.9", "--mu", "1", "--eff", "0.5,1", "--eff-sigma", "0.6"},
     "fctable: --eff-sigma 0.6: 0.6 is too large: an efficiency's sigma is at most eff (100 %) "
     "(here eff = 0.5)"},
    {{"limits", "--requests", "-", "--b-sigma", "0.5", "--pdf", "lognormal"},
     "fctable: --requests -, line 2 '1 0': b_sigma = 0.5 cannot be given to a lognormal "
     "background of b = 0: its pdf cannot be normalised (a Gaussian can)",
     "1 1\n1 0\n"},
    // Half a million uncertainties for each of three requests.
    {{"limits", "--requests", "-", "--cl", "0.9", "--eff-sigma", "0:1:0.000000000002"},
     "fctable: --requests -: the table would hold more than 1099511627776 rows",
     "1 1\n2 1\n3 1\n"},
    {{"limits", "--n", "0", "--b", "1", "--b-sigma", "0,0.5", "--method", "console"},
     "fctable: --method console has no uncertainties: with --b-sigma or --eff-sigma above 0 the "
     "method must be exact"},
    {{"limits", "--n", "0", "--b", "1", "--cl", "0.9", "--eff-sigma", "0.1,0.2", "--layout",
      "paper"},
     "fctable: --layout paper needs one b_sigma, eff and eff_sigma: give --b-sigma, --eff and "
     "--eff-sigma one value each"},
    {{"belt", "--b", "1", "--cl", "0.9", "--mu", "0:1e9", "--eff", "3"},
     "fctable: --mu 0:1e9 with --eff 3: eff mu = 3e+09 is too large: the largest mean taken is "
     "2e+09 (its counts stay within 32 bits)"},
    {{"coverage", "--b", "1", "--cl", "0.9", "--mu", "1", "--averaged", "--true-b", "2"},
     "fctable: --averaged draws the background and efficiency from their pdfs: it takes no "
     "--true-b or --true-eff"},
};

TEST(fctable, every_error_exits_2_naming_the_option_and_value_with_a_hint) {
  for (const error_case& c : error_cases) {
    SCOPED_TRACE(c.message);
    run_setup setup;
    setup.input = c.input;
    const run_result r = run_fctable(c.args, setup);
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_EQ(r.out, "");
    const bool known = !c.args.empty() &&
                       (c.args[0] == "limits" || c.args[0] == "belt" || c.args[0] == "coverage" ||
                        c.args[0] == "sensitivity" || c.args[0].starts_with("gaussian"));
    const std::string command = known ? c.args[0] + " " : "";
    EXPECT_EQ(r.err, std::string(c.message) + "\nTry 'fctable " + command +
                         "--help' for more information.\n");
  }
}

struct same_bytes_case {
  arguments args;
  int shards;
};

const same_bytes_case same_bytes_cases[] = {
    {{"limits", "--n", "0:6", "--b", "0:3:0.5"}, 3},
    {{"limits", "--n", "0:6", "--b", "0:3:0.5", "--format", "json"}, 4},
    {{"limits", "--n", "0:6", "--b", "0:3:0.5", "--cl", "0.9", "--layout", "paper", "--format",
      "latex"},
     3},
    // Each part starts a block.
    {{"limits", "--n", "0:2", "--b", "0:3:0.5", "--cl", "0.9", "--layout", "paper", "--format",
      "latex", "--columns", "3"},
     3},
    {{"belt", "--b", "3", "--cl", "0.9", "--mu", "0:5:0.25", "--format", "markdown"}, 2},
    {{"coverage", "--b", "1", "--cl", "0.9", "--mu", "0:3:0.1", "--quiet"}, 2},
    {{"sensitivity", "--b", "0:2:0.5", "--format", "tsv"}, 2},
    {{"gaussian", "--x", "-3:3.1:0.1", "--cl", "0.6827,0.9,0.95,0.99", "--layout", "paper",
      "--format", "latex"},
     3},
    {{"gaussian-belt", "--mu", "0:3:0.25", "--sigma", "1,2", "--cl", "0.3,0.9", "--format", "json"},
     3},
    // Uncertainties vary fastest in limits; in belt and coverage each one's
    // means come in turn, parts starting inside a turn.
    {{"limits", "--n", "0:2", "--b", "1", "--cl", "0.9", "--eff-sigma", "0,0.2"}, 4},
    {{"belt", "--b", "1", "--cl", "0.9", "--mu", "0:2", "--b-sigma", "0,0.5"}, 4},
    {{"coverage", "--b", "1", "--cl", "0.9", "--mu", "0:2:0.5", "--eff", "1,0.5", "--quiet"}, 3},
};

TEST(fctable, threads_and_shards_give_the_same_bytes) {
  for (const same_bytes_case& c : same_bytes_cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const run_result one = run_fctable(with(c.args, {"--threads", "1"}));
    ASSERT_EQ(one.exit_status, 0) << one.err;
    EXPECT_EQ(one.err, "");
    for (const char* threads : {"2", "5"}) {
      EXPECT_EQ(run_fctable(with(c.args, {"--threads", threads})).out, one.out) << threads;
    }
    std::string joined;
    for (int k = 1; k <= c.shards; ++k) {
      arguments part =
          with(c.args, {"--shard", std::to_string(k) + "/" + std::to_string(c.shards)});
      if (k > 1) part.push_back("--no-header");
      joined += run_fctable(part).out;
    }
    EXPECT_EQ(joined, one.out);
  }
}

TEST(fctable, requests_from_standard_input_give_the_rows_of_the_lists) {
  std::string requests = "# n b\n";
  for (int n = 0; n <= 3; ++n) {
    for (const char* b : {"0", "1.5", "3"}) requests += std::to_string(n) + " " + b + "\n\n";
  }
  run_setup setup;
  setup.input = requests;
  // Each request at each level, and at each efficiency within a level.
  for (const arguments& options : {arguments{}, arguments{"--cl", "0.9,0.95", "--eff", "1,0.5"}}) {
    SCOPED_TRACE(options.size());
    const run_result listed =
        run_fctable(with({"limits", "--n", "0:3", "--b", "0:3:1.5"}, options));
    const run_result read = run_fctable(with({"limits", "--requests", "-"}, options), setup);
    EXPECT_EQ(read.exit_status, 0) << read.err;
    EXPECT_EQ(read.out, listed.out);
  }
}

// The longest line a requests file may hold, a request padded with blanks.
const std::string longest_line =
    "1 3 0.9" + std::string(fctable::longest_request_line - std::strlen("1 3 0.9"), ' ');

struct request_input_case {
  std::string input;  // requests 1 3 0.9 and 2 3 0.9, when they are read
  int exit_status;
  std::string err;
  bool nonblocking = false;  // on a non-blocking pipe, written after a wait
  bool unreadable = false;   // standard input open for writing only
};

const request_input_case request_input_cases[] = {
    {longest_line + "\n2 3 0.9", 0, ""},
    // Refused at its cap, not read into memory to its end.
    {"1 3 0.9\n" + longest_line + " \n2 3 0.9\n", 2,
     "fctable: --requests -, line 2 '1 3 0.9" + std::string(fctable::most_quoted_bytes - 7, ' ') +
         "...': longer than " + std::to_string(fctable::longest_request_line) +
         " bytes\nTry 'fctable limits --help' for more information.\n"},
    {"1 3 0.9\n2 3 0.9\n", 0, "", true},
    // A failed read is no end of the requests.
    {"", 1, "fctable: cannot read --requests -: Bad file descriptor\n", false, true},
};

TEST(fctable, requests_are_read_a_bounded_line_at_a_time) {
  const run_result listed = run_fctable({"limits", "--n", "1,2", "--b", "3", "--cl", "0.9"});
  for (const request_input_case& c : request_input_cases) {
    SCOPED_TRACE(c.err);
    run_setup setup;
    setup.input = c.input;
    setup.nonblocking_input = c.nonblocking;
    setup.input_delay_ms = c.nonblocking ? 200 : 0;
    if (c.unreadable) {
      setup.input_path = "/dev/null";
      setup.input_flags = O_WRONLY;
    }
    const run_result r = run_fctable({"limits", "--requests", "-"}, setup);
    EXPECT_EQ(r.exit_status, c.exit_status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, c.exit_status == 0 ? listed.out : "");
  }
}

struct library_case {
  arguments options;
  fclimits::options how;
};

const library_case library_cases[] = {
    {{}, {}},
    {{"--method", "console"}, {.method = fclimits::search_method::console}},
    {{"--method", "console", "--tolerance", "1e-6", "--no-correction"},
     {.method = fclimits::search_method::console, .tolerance = 1e-6, .correct_upper = false}},
};

TEST(fctable, limits_are_the_library_doubles) {
  for (const library_case& c : library_cases) {
    const run_result r =
        run_fctable(with({"limits", "--n", "0:6,10", "--b", "0:4:0.5,12.5"}, c.options));
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const auto rows = csv_rows(r.out);
    ASSERT_EQ(rows.size(), 8u * 10u * 3u);
    for (const auto& row : rows) {
      const auto n = static_cast<std::int32_t>(std::stoi(row[0]));
      const double b = read_double(row[1]);
      const double cl = read_double(row[2]);
      SCOPED_TRACE(row[0] + " " + row[1] + " " + row[2]);
      const fclimits::interval expected = fclimits::limits(n, b, cl, c.how);
      EXPECT_EQ(read_double(row[3]), expected.lower);
      EXPECT_EQ(read_double(row[4]), expected.upper);
    }
  }
}

// The value after an option in a command line.
double option_value(const arguments& args, const char* option) {
  for (std::size_t k = 0; k + 1 < args.size(); ++k) {
    if (args[k] == option) return read_double(args[k + 1]);
  }
  ADD_FAILURE() << option;
  return 0.0;
}

struct uncertain_case {
  arguments args;
  std::size_t rows;
  fclimits::uncertainties shape;  // the pdfs and ordering; the rows give the numbers
  bool averaged = false;
};

constexpr auto lognormal = fclimits::pdf_shape::lognormal;

// Small counts: one limit costs about 4 ms with one parameter uncertain,
// 15 ms with both.
const uncertain_case uncertain_cases[] = {
    {{"limits", "--n", "0:3", "--b", "0,2", "--cl", "0.9", "--eff", "1,0.8", "--eff-sigma", "0.2"},
     16,
     {}},
    {{"limits", "--n", "2", "--b", "1", "--cl", "0.9", "--b-sigma", "0.5", "--eff-sigma", "0.2",
      "--pdf", "lognormal", "--ordering", "profile"},
     1,
     {.b_pdf = lognormal, .eff_pdf = lognormal, .ordering = fclimits::ordering_rule::profile}},
    {{"limits", "--n", "1", "--b", "2", "--cl", "0.9", "--b-sigma", "0.5", "--b-pdf", "lognormal"},
     1,
     {.b_pdf = lognormal}},
    {{"sensitivity", "--b", "1", "--cl", "0.9", "--b-sigma", "0,0.5"}, 2, {}},
    {{"belt", "--b", "1", "--cl", "0.9", "--mu", "0:3", "--eff-sigma", "0.2", "--eff-pdf",
      "lognormal"},
     4,
     {.eff_pdf = lognormal}},
    // The counts drawn at true values, or from their average over the pdf:
    // different coverages.
    {{"coverage", "--b", "1", "--cl", "0.9", "--mu", "0.5,2", "--b-sigma", "0.3", "--true-b",
      "0.5,1.5", "--true-eff", "0.8"},
     4,
     {}},
    {{"coverage", "--b", "1", "--cl", "0.9", "--mu", "0.5,2", "--b-sigma", "0.3", "--averaged"},
     2,
     {},
     true},
};

TEST(fctable, uncertainties_reach_the_library_and_every_row_names_them) {
  for (const uncertain_case& c : uncertain_cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[c.args.size() - 2]);
    const run_result r = run_fctable(with(c.args, {"--quiet"}));
    ASSERT_EQ(r.exit_status, 0) << r.err;
    const auto records = csv_records(r.out);
    ASSERT_EQ(records.size(), c.rows);
    for (auto row : records) {
      fclimits::uncertainties u = c.shape;
      u.b_sigma = read_double(row["b_sigma"]);
      u.eff = read_double(row["eff"]);
      u.eff_sigma = read_double(row["eff_sigma"]);
      if (row.contains("b_pdf")) {
        EXPECT_EQ(row["b_pdf"], u.b_pdf == lognormal ? "lognormal" : "gauss");
        EXPECT_EQ(row["eff_pdf"], u.eff_pdf == lognormal ? "lognormal" : "gauss");
        EXPECT_EQ(row["ordering"],
                  u.ordering == fclimits::ordering_rule::profile ? "profile" : "conrad");
      }
      if (c.args[0] == "limits") {
        const fclimits::interval expected =
            fclimits::limits(std::stoi(row["n"]), read_double(row["b"]), read_double(row["cl"]), u);
        EXPECT_EQ(read_double(row["lower"]), expected.lower);
        EXPECT_EQ(read_double(row["upper"]), expected.upper);
      } else if (c.args[0] == "sensitivity") {
        EXPECT_EQ(read_double(row["sensitivity"]),
                  fclimits::sensitivity(read_double(row["b"]), read_double(row["cl"]), u));
      } else {
        const double b = option_value(c.args, "--b");
        const double cl = option_value(c.args, "--cl");
        const double mu = read_double(row["mu"]);
        if (c.args[0] == "belt") {
          const fclimits::uncertain_acceptance region = fclimits::acceptance_region(mu, b, cl, u);
          EXPECT_EQ(std::stoi(row["n_low"]), region.n_low);
          EXPECT_EQ(std::stoi(row["n_high"]), region.n_high);
          EXPECT_EQ(read_double(row["probability"]), region.probability);
          EXPECT_EQ(row["contiguous"], region.contiguous ? "true" : "false");
        } else {
          fclimits::truth drawn;
          if (row.contains("true_b")) drawn.b = read_double(row["true_b"]);
          if (row.contains("true_eff")) drawn.eff = read_double(row["true_eff"]);
          drawn.averaged = c.averaged;
          EXPECT_EQ(row.contains("averaged"), c.averaged);
          EXPECT_EQ(read_double(row["coverage"]), fclimits::coverage(mu, b, cl, u, drawn));
        }
      }
    }
  }
}

// A row of a CSV table without the named columns.
std::string without_columns(const std::string& table, const std::vector<std::string>& names) {
  std::istringstream lines(table);
  std::vector<bool> dropped;
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, ',');) fields.push_back(field);
    if (dropped.empty()) {
      for (const std::string& field : fields) {
        dropped.push_back(std::find(names.begin(), names.end(), field) != names.end());
      }
    }
    std::string kept;
    for (std::size_t k = 0; k < fields.size(); ++k) {
      if (dropped[k]) continue;
      kept += (kept.empty() ? "" : ",") + fields[k];
    }
    out += kept + "\n";
  }
  return out;
}

const arguments known_tables[] = {
    {"limits", "--n", "0:3", "--b", "0,3"},
    {"limits", "--n", "0:3", "--b", "0,3", "--method", "console"},
    {"belt", "--b", "3", "--cl", "0.9", "--mu", "0:2:0.5"},
    {"coverage", "--b", "1", "--cl", "0.9", "--mu", "0:2:0.5", "--quiet"},
    {"sensitivity", "--b", "0:2"},
};

TEST(fctable, known_uncertainties_given_add_their_columns_and_change_no_number) {
  for (const arguments& args : known_tables) {
    SCOPED_TRACE(args[0] + " " + args.back());
    const run_result plain = run_fctable(args);
    const run_result given =
        run_fctable(with(args, {"--b-sigma", "0", "--eff", "1", "--eff-sigma", "0"}));
    ASSERT_EQ(given.exit_status, 0) << given.err;
    EXPECT_NE(given.out.find("b_sigma,eff,eff_sigma,"), std::string::npos) << given.out;
    EXPECT_EQ(without_columns(given.out, {"b_sigma", "eff", "eff_sigma", "contiguous"}), plain.out);
  }
}

TEST(fctable, sensitivity_at_no_background_is_the_zero_count_upper_limit) {
  const run_result r = run_fctable({"sensitivity", "--b", "0"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const auto rows = csv_rows(r.out);
  ASSERT_EQ(rows.size(), 3u);
  for (const auto& row : rows) {
    const double cl = read_double(row[1]);
    EXPECT_EQ(read_double(row[2]), fclimits::limits(0, 0.0, cl).upper) << cl;
  }
}

struct paper_case {
  arguments options;
  const char* table;
};

const paper_case paper_cases[] = {
    {{"--format", "markdown"},
     "| n | b = 0 | b = 3 |\n"
     "| ---: | ---: | ---: |\n"
     "| 0 | 0.00, 2.44 | 0.00, 1.08 |\n"
     "| 1 | 0.11, 4.36 | 0.00, 1.88 |\n"},
    // Numbers, with the digits of the rounding.
    {{"--format", "json", "--digits", "3"},
     "[\n"
     "{\"n\": 0, \"b = 0\": [0.000, 2.436], \"b = 3\": [0.000, 1.078]},\n"
     "{\"n\": 1, \"b = 0\": [0.105, 4.357], \"b = 3\": [0.000, 1.877]}\n"
     "]\n"},
    // Blocks of columns one below the other, names in math mode.
    // One uncertainty: its limits, in the same layout.
    {{"--format", "csv", "--eff-sigma", "0.2"},
     "n,b = 0,b = 3\n"
     "0,\"0.00, 2.49\",\"0.00, 0.94\"\n"
     "1,\"0.11, 4.64\",\"0.00, 1.84\"\n"},
    {{"--format", "latex", "--columns", "1"},
     "\\begin{tabular}{rr}\n\\hline\n$n$ & $b = 0$ \\\\\n\\hline\n"
     "0 & 0.00, 2.44 \\\\\n1 & 0.11, 4.36 \\\\\n\\hline\n\\end{tabular}\n"
     "\n"
     "\\begin{tabular}{rr}\n\\hline\n$n$ & $b = 3$ \\\\\n\\hline\n"
     "0 & 0.00, 1.08 \\\\\n1 & 0.00, 1.88 \\\\\n\\hline\n\\end{tabular}\n"},
};

TEST(fctable, paper_layout_rounds_each_pair_to_two_decimals) {
  for (const paper_case& c : paper_cases) {
    SCOPED_TRACE(c.options[1]);
    const run_result r = run_fctable(with(
        {"limits", "--n", "0:1", "--b", "0,3", "--cl", "0.9", "--layout", "paper"}, c.options));
    EXPECT_EQ(r.out, c.table);
  }
  // The paper's 90 % grid: 31 columns in six blocks of at most six, each
  // fitting a page.
  const run_result grid = run_fctable({"limits", "--n", "0:20", "--b", "0:15:0.5", "--cl", "0.9",
                                       "--layout", "paper", "--format", "latex"});
  std::size_t blocks = 0;
  for (std::size_t at = 0; (at = grid.out.find("\\begin{tabular}", at)) != std::string::npos;
       ++at) {
    ++blocks;
  }
  EXPECT_EQ(blocks, 6u);
  EXPECT_EQ(grid.out.find("{rrrrrrrr"), std::string::npos);
}

// The Gaussian commands: the library's doubles in rows, the paper's Table
// X in its layout (rows x, columns cl), and -inf where the belt at mu = 0
// reaches down for ever (null in JSON).
TEST(fctable, gaussian_tables_hold_the_library_doubles) {
  const run_result rows =
      run_fctable({"gaussian", "--x", "-2.3,0.5", "--sigma", "1,2", "--cl", "0.9"});
  const auto text = [](double value) {
    char digits[32];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  };
  std::string want = "x,sigma,cl,lower,upper\n";
  for (const double x : {-2.3, 0.5}) {
    for (const double sigma : {1.0, 2.0}) {
      const fclimits::interval i = fclimits::gaussian_limits(x, sigma, 0.9);
      want += text(x) + "," + text(sigma) + ",0.9," + text(i.lower) + "," + text(i.upper) + "\n";
    }
  }
  EXPECT_EQ(rows.out, want);
  EXPECT_EQ(
      run_fctable({"gaussian", "--x", "-2.3,2.4", "--cl", "0.9,0.95", "--layout", "paper"}).out,
      "x,cl = 0.9,cl = 0.95\n-2.3,\"0.00, 0.34\",\"0.00, 0.54\"\n"
      "2.4,\"0.87, 4.04\",\"0.69, 4.36\"\n");
  EXPECT_EQ(run_fctable({"gaussian-belt", "--mu", "0", "--cl", "0.9", "--format", "json"}).out,
            "[\n{\"mu\": 0, \"sigma\": 1, \"cl\": 0.9, \"x_low\": null, \"x_high\": "
            "1.2815515655446004}\n]\n");
}

TEST(fctable, coverage_summary_names_the_lowest_mean) {
  const run_result r =
      run_fctable({"coverage", "--b", "0", "--cl", "0.9", "--mu", "0:4:0.5", "--no-correction"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const auto rows = csv_rows(r.out);
  std::size_t lowest = 0;
  int below = 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    if (read_double(rows[k][1]) < read_double(rows[lowest][1])) lowest = k;
    if (read_double(rows[k][1]) < 0.9) ++below;
  }
  const std::string expected = "fctable: lowest coverage at the means given " + rows[lowest][1] +
                               " (at mu = " + rows[lowest][0] + "); " + std::to_string(below) +
                               " of 9 means";
  EXPECT_TRUE(r.err.starts_with(expected)) << r.err;
}

TEST(fctable, output_file_appears_whole_or_not_at_all) {
  const scratch_folder folder;
  const arguments grid = {"limits", "--n", "0:3", "--b", "0:2"};
  const run_result piped = run_fctable(grid);
  const run_result written = run_fctable(with(grid, {"--output", folder.file("table.csv")}));
  EXPECT_EQ(written.exit_status, 0);
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(read_file(folder.file("table.csv")), piped.out);
  EXPECT_EQ(folder.contents(), std::vector<std::string>{"table.csv"});

  // A count whose intervals pass 32 bits fails after the first rows are written.
  const run_result failed = run_fctable(
      {"limits", "--n", "0,2147483647", "--b", "0", "--output", folder.file("failed.csv")});
  EXPECT_EQ(failed.exit_status, 1);
  EXPECT_NE(failed.err.find("fctable: fclimits: n = 2147483647 is too large"), std::string::npos)
      << failed.err;
  const run_result kept = run_fctable(
      {"limits", "--n", "2147483647", "--b", "0", "--output", folder.file("table.csv")});
  EXPECT_EQ(kept.exit_status, 1);
  EXPECT_EQ(read_file(folder.file("table.csv")), piped.out);

  for (const int signal : {SIGINT, SIGTERM}) {
    run_setup setup;
    setup.signal = signal;
    setup.signal_after_ms = 300;
    const run_result ended = run_fctable({"limits", "--n", "0", "--b", "600:700:4", "--threads",
                                          "1", "--output", folder.file("ended.csv")},
                                         setup);
    EXPECT_EQ(ended.signal, signal);
  }
  EXPECT_EQ(folder.contents(), std::vector<std::string>{"table.csv"});
}

struct file_size_case {
  arguments args;
  bool redirected;  // the table to standard output, opened on big.csv
  long limit;       // bytes a file may hold
  const char* input;
  const char* err;
};

const arguments big_belt = {"belt", "--b", "3", "--cl", "0.9", "--mu", "0:100:0.01"};

const file_size_case file_size_cases[] = {
    {with(big_belt, {"--output", "big.csv"}), false, 8192, "",
     "fctable: cannot write to big.csv: File too large\n"},
    {big_belt, true, 8192, "", "fctable: cannot write to standard output: File too large\n"},
    {{"limits", "--requests", "-"},
     false,
     0,
     "1 3\n",
     "fctable: cannot keep the requests: File too large\n"},
};

TEST(fctable, a_file_over_the_size_limit_is_a_failed_write) {
  for (const file_size_case& c : file_size_cases) {
    SCOPED_TRACE(c.err);
    const scratch_folder folder;
    run_setup setup;
    setup.input = c.input;
    setup.folder = folder.path();
    setup.file_size_limit = c.limit;
    if (c.redirected) {
      std::ofstream(folder.file("big.csv"));
      setup.output_path = "big.csv";
    }
    const run_result r = run_fctable(c.args, setup);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, c.err);
    // No temporary file is left behind.
    EXPECT_EQ(folder.contents(),
              c.redirected ? std::vector<std::string>{"big.csv"} : std::vector<std::string>{});
  }
}

enum class output_node { fifo, character_device, link_to_file, dangling_link };

struct output_node_case {
  output_node node;
  const char* output;    // the name given to --output, in the scratch folder
  mode_t type;           // what that name still is after the run
  const char* table_in;  // the file of the folder that then holds the table, or nullptr
};

const output_node_case output_node_cases[] = {
    {output_node::fifo, "fifo", S_IFIFO, nullptr},
    {output_node::character_device, "null", S_IFCHR, nullptr},
    {output_node::link_to_file, "link.csv", S_IFLNK, "target.csv"},
    {output_node::dangling_link, "link.csv", S_IFLNK, "target.csv"},
};

TEST(fctable, output_writes_through_links_devices_and_fifos_without_replacing_them) {
  const arguments table_args = {"limits", "--n", "0:3", "--b", "0:2"};
  const std::string table = run_fctable(table_args).out;
  for (const output_node_case& c : output_node_cases) {
    SCOPED_TRACE(static_cast<int>(c.node));
    const scratch_folder folder;
    std::string output = folder.file(c.output);
    int reader = -1;
    switch (c.node) {
      case output_node::fifo:
        ASSERT_EQ(::mkfifo(output.c_str(), 0600), 0);
        // Reading and writing: the open never waits, and the table fits in the pipe.
        reader = ::open(output.c_str(), O_RDWR | O_NONBLOCK);
        break;
      case output_node::character_device:
        // The null device's numbers; only root may make one. A program that
        // replaced the node would replace the machine's own /dev/null if
        // given that, so it is used only where replacing it is refused.
        if (::mknod(output.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
          if (::geteuid() == 0) continue;
          output = "/dev/null";
        }
        break;
      case output_node::link_to_file:
        std::ofstream(folder.file("target.csv")) << "old\n";
        [[fallthrough]];
      case output_node::dangling_link:
        // Relative to the link's folder, not to the program's.
        ASSERT_EQ(::symlink("target.csv", output.c_str()), 0);
        break;
    }
    const run_result r = run_fctable(with(table_args, {"--output", output}));
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");

    struct stat after {};

    ASSERT_EQ(::lstat(output.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & S_IFMT, c.type);
    if (c.table_in != nullptr) {
      EXPECT_EQ(read_file(folder.file(c.table_in)), table);
    }
    if (reader >= 0) {
      std::string piped(2 * table.size(), '\0');
      const ssize_t got = ::read(reader, piped.data(), piped.size());
      piped.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
      EXPECT_EQ(piped, table);
      ::close(reader);
    }
    for (const std::string& name : folder.contents()) {
      EXPECT_FALSE(name.starts_with(".")) << name;  // no temporary file left
    }
  }
}

const arguments full_output_cases[] = {
    {"limits", "--n", "0", "--b", "0"}, {"--help"}, {"limits", "--help"}, {"--version"}};

TEST(fctable, a_failed_write_exits_1) {
  for (const arguments& args : full_output_cases) {
    SCOPED_TRACE(args.back());
    run_setup setup;
    setup.output_path = "/dev/full";
    const run_result r = run_fctable(args, setup);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.err, "fctable: cannot write to standard output: No space left on device\n");
  }
  // A reader that leaves early: status 1, and nothing said.
  const std::string gone = testing::TempDir() + "fctable_reader_gone.err";
  const std::string command = std::string("bash -c '") + FCTABLE_PATH +
                              " limits --n 0:5000 --b 0:15 2>" + gone +
                              " | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}'";
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  EXPECT_EQ(std::filesystem::file_size(gone), 0u);
}

enum class standard_stream { input, output, error };

struct closed_stream_case {
  standard_stream closed;
  arguments args;
  const char* input;
  bool to_file;  // --output FILE
  int exit_status;
  const char* err;  // with the stream closed; the table is that of a run with all three open
};

const closed_stream_case closed_stream_cases[] = {
    // A temporary file would take descriptor 1 and receive the table.
    {standard_stream::output,
     {"limits", "--requests", "-", "--cl", "0.9"},
     "1 3\n2 3\n",
     false,
     1,
     "fctable: cannot write to standard output: it is closed\n"},
    {standard_stream::output, {"limits", "--n", "1", "--b", "3"}, "", true, 0, ""},
    {standard_stream::output,
     {"--version"},
     "",
     false,
     1,
     "fctable: cannot write to standard output: it is closed\n"},
    {standard_stream::input,
     {"limits", "--requests", "-"},
     "",
     false,
     2,
     "fctable: --requests -: standard input is closed\n"
     "Try 'fctable limits --help' for more information.\n"},
    {standard_stream::input, {"limits", "--n", "1", "--b", "3"}, "", false, 0, ""},
    {standard_stream::error,
     {"coverage", "--b", "1", "--cl", "0.9", "--mu", "0:2"},
     "",
     true,
     0,
     ""},
};

TEST(fctable, a_stream_closed_at_the_start_is_never_another_file) {
  const scratch_folder folder;
  for (const closed_stream_case& c : closed_stream_cases) {
    SCOPED_TRACE(c.args[0] + " " + std::to_string(static_cast<int>(c.closed)));
    const std::string file = folder.file("table.csv");
    const arguments args = c.to_file ? with(c.args, {"--output", file}) : c.args;
    run_setup setup;
    setup.input = c.input;
    setup.input_closed = c.closed == standard_stream::input;
    setup.output_closed = c.closed == standard_stream::output;
    setup.error_closed = c.closed == standard_stream::error;
    const run_result r = run_fctable(args, setup);
    EXPECT_EQ(r.exit_status, c.exit_status);
    EXPECT_EQ(r.err, c.err);
    run_setup open_streams;
    open_streams.input = c.input;
    const std::string table = c.exit_status == 0 ? run_fctable(c.args, open_streams).out : "";
    EXPECT_EQ(c.to_file ? read_file(file) : r.out, table);
    std::filesystem::remove(file);
  }
}

TEST(fctable, progress_line_only_on_a_terminal_and_cleared_at_the_end) {
  // Over a second on one thread, however fast the machine.
  const arguments slow = {"limits", "--n", "0",         "--b", "600:700:2",
                          "--cl",   "0.9", "--threads", "1"};
  run_setup terminal;
  terminal.error_on_terminal = true;
  const run_result shown = run_fctable(slow, terminal);
  const run_result piped = run_fctable(slow);
  EXPECT_EQ(shown.out, piped.out);
  EXPECT_EQ(piped.err, "");
  EXPECT_TRUE(shown.err.starts_with("\rfctable: ")) << shown.err;
  EXPECT_NE(shown.err.find(" of 51 rows, "), std::string::npos) << shown.err;
  // Wiped at the end: blanks over the last line, the cursor back at its start.
  const std::size_t last_line = shown.err.rfind("\rfctable: ");
  const std::size_t wipe = shown.err.find('\r', last_line + 1);
  ASSERT_NE(wipe, std::string::npos);
  EXPECT_EQ(shown.err.substr(wipe), "\r" + std::string(wipe - last_line - 1, ' ') + "\r");

  EXPECT_EQ(run_fctable(with(slow, {"--quiet"}), terminal).err, "");
}

TEST(fctable, help_lists_every_option_and_version_prints_the_version) {
  const run_result help = run_fctable({"limits", "--help"});
  EXPECT_EQ(help.exit_status, 0);
  for (const char* option : {"--n",
                             "--b",
                             "--cl",
                             "--requests",
                             "--method",
                             "--tolerance",
                             "--no-correction",
                             "--layout",
                             "--columns",
                             "--format",
                             "--digits",
                             "--threads",
                             "--shard",
                             "--no-header",
                             "--output",
                             "--quiet",
                             "--b-sigma",
                             "--eff",
                             "--eff-sigma",
                             "--pdf",
                             "--b-pdf",
                             "--eff-pdf",
                             "--ordering"}) {
    EXPECT_NE(help.out.find(std::string("  ") + option + " "), std::string::npos) << option;
  }
  const run_result version = run_fctable({"--version"});
  EXPECT_EQ(version.out, std::string("fctable ") + fclimits::version() + "\n");
}

}  // namespace
