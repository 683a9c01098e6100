#pragma once

namespace console {

// Blocks until fd is ready for `events` (POLLIN or POLLOUT), or reports an
// error or hang-up, so that a descriptor a parent left non-blocking is
// waited on as a blocking one would be; the call that follows then tells
// success or failure. A wait interrupted by a signal is resumed.
// Async-signal-safe.
void wait_for_descriptor(int fd, short events);

}  // namespace console
