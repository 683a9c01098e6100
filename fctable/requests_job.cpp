// Limits for the requests of a file, one "n b" or "n b cl" a line. Every
// line is checked before anything is computed; the checked requests wait in
// an unnamed temporary file, so a long file costs no memory.
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "fclimits/fclimits.h"
#include "fctable/requests.h"
#include "fctable/standard_streams.h"
#include "fctable/table_job.h"

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

class requests_job final : public table_job {
 public:
  explicit requests_job(const table_settings& settings) : levels_(settings.cl), how_(settings.how) {
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
    spool_.reset(std::tmpfile());
    if (!spool_)
      throw std::runtime_error("fctable: no temporary file for the requests: " + reason(errno));

    char* line = nullptr;
    std::size_t capacity = 0;
    std::uint64_t number = 0;
    for (ssize_t length; (length = ::getline(&line, &capacity, in)) >= 0;) {
      ++number;
      const request_line parsed =
          parse_request_line(std::string_view(line, static_cast<std::size_t>(length)));
      if (!parsed.error.empty()) {
        std::free(line);
        throw usage_error(
            "fctable: " + name + ", line " + std::to_string(number) + ": " + parsed.error,
            "limits");
      }
      if (!parsed.holds_request) continue;
      if (std::fwrite(&parsed.value, sizeof parsed.value, 1, spool_.get()) != 1) break;
      size_ += rows_of(parsed.value);
    }
    std::free(line);
    if (std::ferror(in)) throw usage_error("fctable: " + name + ": " + reason(errno), "limits");
    if (std::fflush(spool_.get()) != 0 || std::ferror(spool_.get())) {
      throw std::runtime_error("fctable: cannot keep the requests: " + reason(errno));
    }
  }

  std::vector<column> columns() const override {
    return {{"n", column_kind::count},
            {"b", column_kind::input},
            {"cl", column_kind::input},
            {"lower", column_kind::result},
            {"upper", column_kind::result}};
  }

  std::uint64_t size() const override { return size_; }

  void run(std::uint64_t first, std::uint64_t count, unsigned threads, row_sink& sink) override {
    std::rewind(spool_.get());
    next_level_ = 0;
    std::vector<request> rows;
    for (std::uint64_t skipped = 0; skipped < first; ++skipped) next_row();
    for (std::uint64_t done = 0; done < count; done += rows.size()) {
      rows.clear();
      while (rows.size() < rows_per_chunk && done + rows.size() < count) rows.push_back(next_row());
      compute_in_order(
          rows.size(), threads,
          [&](std::size_t i) -> row_values {
            const request& r = rows[i];
            const fclimits::interval limits = fclimits::limits(r.n, r.b, r.cl, how_);
            return {static_cast<double>(r.n), r.b, r.cl, limits.lower, limits.upper};
          },
          sink);
    }
  }

 private:
  std::uint64_t rows_of(const request& r) const { return std::isnan(r.cl) ? levels_.size() : 1; }

  // The next row of the spool: its request, at each level of --cl in turn
  // where the line gave none.
  request next_row() {
    if (next_level_ == 0 && std::fread(&current_, sizeof current_, 1, spool_.get()) != 1) {
      throw std::runtime_error("fctable: cannot read back the requests: " + reason(errno));
    }
    request row = current_;
    if (std::isnan(current_.cl)) {
      row.cl = levels_[next_level_];
      if (++next_level_ == levels_.size()) next_level_ = 0;
    }
    return row;
  }

  const value_list& levels_;
  fclimits::options how_;
  file_handle spool_;
  std::uint64_t size_ = 0;
  request current_;
  std::uint64_t next_level_ = 0;
};

}  // namespace

std::unique_ptr<table_job> make_requests_job(const table_settings& settings) {
  return std::make_unique<requests_job>(settings);
}

}  // namespace fctable
