#include "fctable/table_job.h"

#include <cassert>

namespace fctable {

std::unique_ptr<table_job> make_table_job(const table_settings& settings) {
  // Every command's check chooses a job; settings without one are a fault
  // of the program, not of the user.
  assert(settings.make_job != nullptr);
  return settings.make_job(settings);
}

}  // namespace fctable
