#pragma once

namespace fctable {

// Makes sure descriptors 0, 1 and 2 are open, opening /dev/null in the place
// of any that is closed, so no file the run opens later takes a standard
// stream's number (a spool on descriptor 1 would receive the table). Call it
// first in main, before anything opens a file. Returns false when /dev/null
// cannot be opened in a closed one's place.
bool open_standard_streams();

// Whether descriptor fd (0, 1 or 2) was closed when the run began: what is
// written to it or read from it now goes to or comes from /dev/null.
bool standard_stream_was_closed(int fd);

}  // namespace fctable
