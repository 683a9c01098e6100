#include "fctable/table_output.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <system_error>
#include <vector>

#include "fctable/standard_streams.h"

namespace fctable {
namespace {

// The temporary file a signal handler must remove, kept where the handler
// can read it without allocating.
char pending_path[4096];
volatile std::sig_atomic_t pending = 0;

constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_pending_and_end(int number) {
  if (pending) ::unlink(pending_path);
  // The default action again, so the run ends as the signal intends.
  ::signal(number, SIG_DFL);
  ::raise(number);
}

// Signals that would end the run wait while the temporary file is made and
// recorded, so none ends the run in between.
class signals_held {
 public:
  signals_held() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : ending_signals) sigaddset(&set, s);
    pthread_sigmask(SIG_BLOCK, &set, &before_);
  }

  ~signals_held() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

  signals_held(const signals_held&) = delete;
  signals_held& operator=(const signals_held&) = delete;

 private:
  sigset_t before_;
};

// Symbolic links followed before giving up, as many as the kernel follows.
constexpr int most_links = 40;

// Where the table for an --output name lands: the end of the name's chain of
// symbolic links, so the links stay links and the file they lead to gets the
// table. `exists` is false for a new name, and for the target of a link that
// leads nowhere; `error` is why the chain cannot be followed, or 0.
struct landing {
  std::string path;
  bool exists = false;
  mode_t type = 0;
  int error = 0;
};

landing find_landing(std::string path) {
  // At most most_links + 1 passes: each follows one link or returns.
  for (int links = 0;; ++links) {
    struct stat status {};

    // Not there (or not reachable): a new name, whose temporary file will
    // report whatever stands in the way.
    if (::lstat(path.c_str(), &status) != 0) return {path, false, 0, 0};
    if (!S_ISLNK(status.st_mode)) return {path, true, status.st_mode, 0};
    if (links == most_links) return {path, true, 0, ELOOP};
    char target[4096];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
    if (length < 0) return {path, true, 0, errno};
    if (static_cast<std::size_t>(length) == sizeof target) return {path, true, 0, ENAMETOOLONG};
    const std::string next(target, static_cast<std::size_t>(length));
    // A relative target is read from the link's own folder.
    const std::size_t slash = path.rfind('/');
    path = next.starts_with('/') || slash == std::string::npos ? next
                                                               : path.substr(0, slash + 1) + next;
  }
}

void remove_temporary_on_signals() {
  struct sigaction action {};

  action.sa_handler = remove_pending_and_end;
  sigemptyset(&action.sa_mask);
  for (const int s : ending_signals) {
    struct sigaction previous {};

    // A signal ignored when the run began (nohup) stays ignored.
    if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(s, &action, nullptr);
  }
}

}  // namespace

table_output::table_output(const std::string& path) : path_(path) {
  if (path.empty()) {
    // Descriptor 1 is /dev/null then: the table would be lost.
    if (standard_stream_was_closed(STDOUT_FILENO)) {
      throw write_error("fctable: cannot write to standard output: it is closed", false);
    }
    terminal_ = ::isatty(fd_) == 1;
    return;
  }
  name_ = path;
  const landing target = find_landing(path);
  if (target.error != 0) fail("write to", target.error);
  if (target.exists && S_ISDIR(target.type)) fail("write", EISDIR);
  if (target.exists && !S_ISREG(target.type)) {
    // A device or a FIFO is written as a redirection writes it: a file
    // renamed onto it would replace the node itself (as root, even
    // /dev/null). Opening a FIFO waits for its reader.
    fd_ = ::open(target.path.c_str(), O_WRONLY | O_NOCTTY);
    if (fd_ < 0) fail("write to", errno);
    direct_ = true;
    terminal_ = ::isatty(fd_) == 1;
    return;
  }
  path_ = target.path;
  const std::size_t slash = path_.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  temporary_ = path_.substr(0, base) + "." + path_.substr(base) + ".XXXXXX";
  if (temporary_.size() >= sizeof pending_path) fail("write", ENAMETOOLONG);
  remove_temporary_on_signals();
  {
    const signals_held held;
    std::vector<char> name(temporary_.begin(), temporary_.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) fail("create a temporary file beside", errno);
    temporary_ = name.data();
    std::memcpy(pending_path, name.data(), name.size());
    pending = 1;
  }
  // mkstemp makes the file private; the table gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
}

table_output::~table_output() {
  if (direct_ && fd_ >= 0) ::close(fd_);
  if (temporary_.empty()) return;
  ::close(fd_);
  ::unlink(temporary_.c_str());
  pending = 0;
}

void table_output::fail(const char* what, int error) const {
  throw write_error("fctable: cannot " + std::string(what) + " " + name_ + ": " +
                        std::generic_category().message(error),
                    error == EPIPE);
}

void table_output::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (written >= 0) {
      done += static_cast<std::size_t>(written);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd_, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      fail("write to", errno);
    }
  }
  buffer_.clear();
}

void table_output::commit() {
  flush();
  if (direct_) {
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) fail("write to", errno);
    return;
  }
  if (temporary_.empty()) return;
  if (::fsync(fd_) != 0) fail("write to", errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) fail("write to", errno);
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) fail("write to", errno);
  // The temporary file is gone: a signal from here on has nothing to remove.
  pending = 0;
  temporary_.clear();
}

}  // namespace fctable
