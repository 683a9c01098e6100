#include "fctable/run_table.h"

#include <memory>

#include "fctable/paper_blocks.h"
#include "fctable/table_job.h"
#include "fctable/table_output.h"
#include "fctable/table_stream.h"

namespace fctable {

std::string run_table(const table_settings& settings) {
  const std::unique_ptr<table_job> job = make_table_job(settings);
  // A shard is a run of whole table rows: in the paper layout one n at the
  // backgrounds of a block.
  const bool paper = settings.layout == table_layout::paper;
  const std::uint64_t table_rows = paper ? blocks_of(settings).table_rows() : job->size();
  const std::uint64_t first = table_rows * (settings.part.index - 1) / settings.part.count;
  const std::uint64_t end = table_rows * settings.part.index / settings.part.count;
  auto first_job_row = [&](std::uint64_t table_row) {
    return paper ? blocks_of(settings).first_cell(table_row) : table_row;
  };
  const std::uint64_t job_first = first_job_row(first);
  const std::uint64_t job_count = first_job_row(end) - job_first;

  table_output output(settings.output);
  table_stream stream(settings, job->columns(), job_first, job_count, job->size(), output);
  stream.start();
  job->run(job_first, job_count, settings.threads, stream);
  stream.finish();
  return job->summary();
}

}  // namespace fctable
