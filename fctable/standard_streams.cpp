#include "fctable/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace fctable {
namespace {

constexpr int standard_streams = 3;

bool closed_at_start[standard_streams] = {};

}  // namespace

bool open_standard_streams() {
  for (int fd = 0; fd < standard_streams; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are open, so the lowest free one is fd.
    const int placeholder = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (placeholder != fd) {
      if (placeholder >= 0) ::close(placeholder);
      return false;
    }
    closed_at_start[fd] = true;
  }
  return true;
}

bool standard_stream_was_closed(int fd) {
  return fd >= 0 && fd < standard_streams && closed_at_start[fd];
}

}  // namespace fctable
