#pragma once

#include <sys/types.h>

#include <cstddef>

namespace console {

enum class write_outcome { done, device_full, refused };

// Writes all size bytes to fd: a short write is followed by a write of the
// rest, a write interrupted by a signal is repeated, and a non-blocking fd
// that is full is waited on until it takes more. Any other failure stops it:
// device_full for a full device, quota or file size limit, refused for
// everything else (a closed or read-only descriptor, an I/O error, a write
// that makes no progress). Async-signal-safe.
write_outcome write_bytes(int fd, const char* data, std::size_t size);

// The system call behind write_bytes; tests put a buffer in its place.
using write_call = ssize_t (*)(int fd, const void* data, std::size_t size);
void replace_write_call(write_call call);

// write_bytes through the given call, whatever a test has put in place: the
// error report goes out even where the console's own writes fail.
write_outcome write_bytes_with(write_call call, int fd, const char* data, std::size_t size);

}  // namespace console
