#include "fctable/run_table.h"

#include <memory>

#include "fctable/table_job.h"
#include "fctable/table_output.h"
#include "fctable/table_stream.h"

namespace fctable {

std::string run_table(const table_settings& settings) {
  const std::unique_ptr<table_job> job = make_table_job(settings);
  // A shard is a run of whole table rows: in the paper layout one n at
  // every background.
  const std::uint64_t per_row = settings.layout == table_layout::paper ? settings.b.size() : 1;
  const std::uint64_t table_rows = job->size() / per_row;
  const std::uint64_t first = table_rows * (settings.part.index - 1) / settings.part.count;
  const std::uint64_t end = table_rows * settings.part.index / settings.part.count;

  table_output output(settings.output);
  table_stream stream(settings, job->columns(), first * per_row, (end - first) * per_row,
                      job->size(), output);
  stream.start();
  job->run(first * per_row, (end - first) * per_row, settings.threads, stream);
  stream.finish();
  return job->summary();
}

}  // namespace fctable
