#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fctable/table_writer.h"

namespace fctable {
namespace {

// Two rows with every character some format must escape, in a column name
// and a text cell; numbers and pairs of numbers pass as they are, but for
// JSON's brackets around a pair.
const column_names awkward_names = {"n", "a|b,\"c\"\t_&%\\"};
const std::vector<cell> first_row = {{"0"}, {"0.00, 2.44", cell_kind::pair}};
const std::vector<cell> last_row = {{"1e-07"}, {"x|y\t\"z\"\n#$_{}~^\\", cell_kind::text}};

struct format_case {
  table_format format;
  const char* table;  // header, the two rows, footer
  name_style style = name_style::words;
};

const format_case format_cases[] = {
    {table_format::csv,
     "n,\"a|b,\"\"c\"\"\t_&%\\\"\n"
     "0,\"0.00, 2.44\"\n"
     "1e-07,\"x|y\t\"\"z\"\"\n#$_{}~^\\\"\n"},
    {table_format::tsv,
     "n\ta|b,\"c\"\\t_&%\\\\\n"
     "0\t0.00, 2.44\n"
     "1e-07\tx|y\\t\"z\"\\n#$_{}~^\\\\\n"},
    {table_format::json,
     "[\n"
     "{\"n\": 0, \"a|b,\\\"c\\\"\\t_&%\\\\\": [0.00, 2.44]},\n"
     "{\"n\": 1e-07, \"a|b,\\\"c\\\"\\t_&%\\\\\": \"x|y\\t\\\"z\\\"\\n#$_{}~^\\\\\"}\n"
     "]\n"},
    {table_format::markdown,
     "| n | a\\|b,\"c\"\t_&%\\\\ |\n"
     "| ---: | ---: |\n"
     "| 0 | 0.00, 2.44 |\n"
     "| 1e-07 | x\\|y\t\"z\"\n#$_{}~^\\\\ |\n"},
    {table_format::latex,
     "\\begin{tabular}{rr}\n\\hline\n"
     "n & a|b,\"c\"\t\\_\\&\\%\\textbackslash{} \\\\\n\\hline\n"
     "0 & 0.00, 2.44 \\\\\n"
     "1e-07 & x|y\t\"z\"\n\\#\\$\\_\\{\\}\\textasciitilde{}\\textasciicircum{}\\textbackslash{} "
     "\\\\\n"
     "\\hline\n\\end{tabular}\n"},
    // Formulas in math mode, as they are.
    {table_format::latex,
     "\\begin{tabular}{rr}\n\\hline\n"
     "$n$ & $a|b,\"c\"\t_&%\\$ \\\\\n\\hline\n"
     "0 & 0.00, 2.44 \\\\\n"
     "1e-07 & x|y\t\"z\"\n\\#\\$\\_\\{\\}\\textasciitilde{}\\textasciicircum{}\\textbackslash{} "
     "\\\\\n"
     "\\hline\n\\end{tabular}\n",
     name_style::formulas},
};

std::string whole_table(table_format format, name_style style = name_style::words) {
  const auto writer = make_writer(format, awkward_names, style);
  std::string out;
  writer->header(out);
  writer->row(first_row, false, out);
  writer->row(last_row, true, out);
  writer->footer(out);
  return out;
}

TEST(table_writer, header_rows_and_escaping) {
  for (const format_case& c : format_cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    EXPECT_EQ(whole_table(c.format, c.style), c.table);
  }
}

TEST(table_writer, json_reads_back_as_numbers_and_texts) {
  const nlohmann::json table = nlohmann::json::parse(whole_table(table_format::json));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0][awkward_names[1]], nlohmann::json::parse("[0, 2.44]"));
  EXPECT_EQ(table[1]["n"].get<double>(), 1e-07);
  EXPECT_EQ(table[1][awkward_names[1]].get<std::string>(), last_row[1].text);
}

}  // namespace
}  // namespace fctable
