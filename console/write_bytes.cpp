#include "console/write_bytes.h"

#include <unistd.h>

#include <cerrno>

namespace console {
namespace {

write_call current_write = ::write;

}  // namespace

void replace_write_call(write_call call) { current_write = call != nullptr ? call : ::write; }

write_outcome write_bytes(int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t written = current_write(fd, data + done, size - done);
    if (written > 0) {
      done += static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written == 0) return write_outcome::failed;  // no progress: give up, don't spin
    switch (errno) {
      case ENOSPC:
      case EDQUOT:
        return write_outcome::device_full;
      case EACCES:
      case EPERM:
        return write_outcome::access_denied;
      default:
        return write_outcome::failed;
    }
  }
  return write_outcome::done;
}

}  // namespace console
