#include "console/write_bytes.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "console/wait_for_descriptor.h"

namespace console {
namespace {

write_call current_write = ::write;

}  // namespace

void replace_write_call(write_call call) { current_write = call != nullptr ? call : ::write; }

write_outcome write_bytes(int fd, const char* data, std::size_t size) {
  return write_bytes_with(current_write, fd, data, size);
}

write_outcome write_bytes_with(write_call call, int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t written = call(fd, data + done, size - done);
    if (written > 0) {
      done += static_cast<std::size_t>(written);
      continue;
    }
    if (written == 0) return write_outcome::refused;  // no progress: give up, don't spin
    switch (errno) {
      case EINTR:
        continue;
      case EAGAIN:
#if EWOULDBLOCK != EAGAIN
      case EWOULDBLOCK:
#endif
        wait_for_descriptor(fd, POLLOUT);
        continue;
      case ENOSPC:
      case EDQUOT:
      case EFBIG:
        return write_outcome::device_full;
      default:
        return write_outcome::refused;
    }
  }
  return write_outcome::done;
}

}  // namespace console
