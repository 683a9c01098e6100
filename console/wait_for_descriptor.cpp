#include "console/wait_for_descriptor.h"

#include <poll.h>

#include <cerrno>

namespace console {

void wait_for_descriptor(int fd, short events) {
  pollfd watched{fd, events, 0};
  while (::poll(&watched, 1, -1) < 0 && errno == EINTR) {
  }
}

}  // namespace console
