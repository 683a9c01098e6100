// Limits for the requests of a file, one "n b" or "n b cl" a line. Every
// line is checked before anything is computed; the checked requests wait in
// an unnamed temporary file, so a long file costs no memory.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/errors.h"
#include "fctable/quoted_text.h"
#include "fctable/requests.h"
#include "fctable/standard_streams.h"
#include "fctable/table_job.h"
#include "fctable/uncertainty_columns.h"
#include "fctable/value_checks.h"

namespace fctable {
namespace {

// Rows read from the spool at a time. Threads wait for the slowest row at
// the end of each chunk, so a chunk holds many rows to make that wait small.
constexpr std::size_t rows_per_chunk = 16384;

std::string reason(int error) { return std::generic_category().message(error); }

struct file_closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using file_handle = std::unique_ptr<std::FILE, file_closer>;

// "fctable: --requests -, line 3 '4 706': b = 706 is too large: ...": the
// line quoted, escaped and cut, so that the user sees which one it is.
std::string line_message(const std::string& name, std::uint64_t number, std::string_view line,
                         const std::string& problem) {
  return "fctable: " + name + ", line " + std::to_string(number) + " " + quoted(line) + ": " +
         problem;
}

// The lines of a requests file, each read into a buffer of fixed size, so a
// line never costs more memory than longest_request_line, whatever its
// length, and no failed allocation can pass for the end of the input.
class request_lines {
 public:
  request_lines(std::FILE* in, const std::string& name) : in_(in), name_(name) {}

  // The next line without its newline, or nothing at the end of the input
  // (the last line may lack its newline). Throws usage_error for a line over
  // longest_request_line bytes, at once, and std::runtime_error when reading
  // fails.
  std::optional<std::string_view> next() {
    std::size_t length = 0;
    // At most longest_request_line + 1 passes: each byte is kept, ends the
    // line or is refused.
    for (int c = next_byte(); c != '\n'; c = next_byte()) {
      if (c == EOF) {
        if (length == 0) return std::nullopt;
        break;
      }
      if (length == text_.size()) {
        throw usage_error(
            line_message(name_, number_ + 1, std::string_view(text_.data(), length),
                         "longer than " + std::to_string(longest_request_line) + " bytes"),
            "limits");
      }
      text_[length++] = static_cast<char>(c);
    }
    ++number_;
    return std::string_view(text_.data(), length);
  }

  // The number of the line next() returned last, from 1.
  std::uint64_t number() const { return number_; }

 private:
  // The next byte, or EOF at the end of the input. An interrupted read is
  // tried again, and a non-blocking input is waited for, so neither passes
  // for an error; each pass either returns or waits for input.
  int next_byte() {
    for (;;) {
      const int c = std::getc(in_);
      if (c != EOF || !std::ferror(in_)) return c;
      const int error = errno;
      if (error != EINTR && error != EAGAIN && error != EWOULDBLOCK) {
        throw std::runtime_error("cannot read " + name_ + ": " + reason(error));
      }
      std::clearerr(in_);
      if (error != EINTR) {
        pollfd ready{::fileno(in_), POLLIN, 0};
        ::poll(&ready, 1, -1);
      }
    }
  }

  std::FILE* in_;
  std::string name_;
  std::array<char, longest_request_line> text_;
  std::uint64_t number_ = 0;
};

// A row of the table: a request at one level, with one uncertainty.
struct request_row {
  request asked;
  std::uint64_t uncertainty;  // its index among uncertainty_settings' combinations
};

class requests_job final : public table_job {
 public:
  explicit requests_job(const table_settings& settings)
      : levels_(settings.cl), uncertain_(settings.uncertain), how_(settings.how) {
    const std::string& path = settings.requests;
    const std::string name = "--requests " + path;
    // Standard input is then /dev/null: its requests would read as none.
    if (path == "-" && standard_stream_was_closed(STDIN_FILENO)) {
      throw usage_error("fctable: " + name + ": standard input is closed", "limits");
    }
    file_handle opened(path == "-" ? nullptr : std::fopen(path.c_str(), "r"));
    if (path != "-" && !opened)
      throw usage_error("fctable: " + name + ": " + reason(errno), "limits");
    std::FILE* in = path == "-" ? stdin : opened.get();

    // A directory opens but cannot be read: refused as a file that cannot be
    // opened is, rather than failing as a read.
    struct stat status {};

    if (::fstat(::fileno(in), &status) == 0 && S_ISDIR(status.st_mode)) {
      throw usage_error("fctable: " + name + ": " + reason(EISDIR), "limits");
    }
    spool_.reset(std::tmpfile());
    if (!spool_) throw std::runtime_error("no temporary file for the requests: " + reason(errno));

    request_lines lines(in, name);
    // Ends at the end of the input: each pass takes at least one byte of it.
    for (std::optional<std::string_view> line; (line = lines.next());) {
      const request_line parsed = parse_request_line(*line);
      if (!parsed.error.empty()) {
        throw usage_error(line_message(name, lines.number(), *line, parsed.error), "limits");
      }
      if (!parsed.holds_request) continue;
      if (const auto refused = problem_with_uncertainties(parsed.value.b, uncertain_)) {
        throw usage_error(
            line_message(name, lines.number(), *line, refused->name + " = " + refused->problem),
            "limits");
      }
      if (std::fwrite(&parsed.value, sizeof parsed.value, 1, spool_.get()) != 1) {
        throw std::runtime_error("cannot keep the requests: " + reason(errno));
      }
      // No overflow: rows_of is at most largest_list, as is size_ before.
      size_ += rows_of(parsed.value);
      if (size_ > largest_list) {
        throw usage_error("fctable: " + name + ": the table would hold more than " +
                              std::to_string(largest_list) + " rows",
                          "limits");
      }
    }
    if (std::fflush(spool_.get()) != 0 || std::ferror(spool_.get())) {
      throw std::runtime_error("cannot keep the requests: " + reason(errno));
    }
  }

  std::vector<column> columns() const override {
    std::vector<column> columns = {
        {"n", column_kind::count}, {"b", column_kind::input}, {"cl", column_kind::input}};
    add_uncertainty_columns(columns, uncertain_);
    columns.push_back({"lower", column_kind::result});
    columns.push_back({"upper", column_kind::result});
    return columns;
  }

  std::uint64_t size() const override { return size_; }

  void run(std::uint64_t first, std::uint64_t count, unsigned threads, row_sink& sink) override {
    std::rewind(spool_.get());
    next_in_request_ = 0;
    std::vector<request_row> rows;
    for (std::uint64_t skipped = 0; skipped < first; ++skipped) next_row();
    for (std::uint64_t done = 0; done < count; done += rows.size()) {
      rows.clear();
      while (rows.size() < rows_per_chunk && done + rows.size() < count) rows.push_back(next_row());
      compute_in_order(
          rows.size(), threads,
          [&](std::size_t i) -> row_values {
            const request& r = rows[i].asked;
            const fclimits::uncertainties u = uncertain_.at(rows[i].uncertainty);
            const fclimits::interval limits = fclimits::limits(r.n, r.b, r.cl, u, how_);
            row_builder row;
            row << static_cast<double>(r.n) << r.b << r.cl;
            add_uncertainty_values(row, u, uncertain_);
            row << limits.lower << limits.upper;
            return row.values();
          },
          sink);
    }
  }

 private:
  std::uint64_t rows_of(const request& r) const {
    return (std::isnan(r.cl) ? levels_.size() : 1) * uncertain_.size();
  }

  // The next row of the spool: its request, at each level of --cl in turn
  // where the line gave none, and at each level with every uncertainty.
  request_row next_row() {
    if (next_in_request_ == 0 && std::fread(&current_, sizeof current_, 1, spool_.get()) != 1) {
      throw std::runtime_error("cannot read back the requests: " + reason(errno));
    }
    const std::uint64_t per_level = uncertain_.size();
    request_row row{current_, next_in_request_ % per_level};
    if (std::isnan(current_.cl)) row.asked.cl = levels_[next_in_request_ / per_level];
    if (++next_in_request_ == rows_of(current_)) next_in_request_ = 0;
    return row;
  }

  const value_list& levels_;
  const uncertainty_settings& uncertain_;
  fclimits::options how_;
  file_handle spool_;
  std::uint64_t size_ = 0;
  request current_;
  std::uint64_t next_in_request_ = 0;  // the rows of current_ already taken
};

}  // namespace

std::unique_ptr<table_job> make_requests_job(const table_settings& settings) {
  return std::make_unique<requests_job>(settings);
}

}  // namespace fctable
