#pragma once

#include <sys/types.h>

#include <cstddef>

namespace console {

enum class write_outcome { done, device_full, access_denied, failed };

// Writes all size bytes to fd: a short write is followed by a write of the
// rest, and a write interrupted by a signal is repeated. Anything else that
// stops it is classified once, here. Async-signal-safe.
write_outcome write_bytes(int fd, const char* data, std::size_t size);

// The system call behind write_bytes; tests put a buffer in its place.
using write_call = ssize_t (*)(int fd, const void* data, std::size_t size);
void replace_write_call(write_call call);

}  // namespace console
