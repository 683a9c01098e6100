#include "tests/pty_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>

namespace test_support {
namespace {

using clock_type = std::chrono::steady_clock;

int remaining_ms(clock_type::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

pty_session::pty_session(bool line_editing) {
  terminal_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal_ < 0 || ::grantpt(terminal_) != 0 || ::unlockpt(terminal_) != 0) std::abort();
  const std::string terminal_name = ::ptsname(terminal_);
  int error_pipe[2];
  if (::pipe(error_pipe) != 0) std::abort();
  child_ = ::fork();
  if (child_ == 0) {
    ::setsid();  // the terminal becomes the controlling one, for the keys
    const int slave = ::open(terminal_name.c_str(), O_RDWR);
    termios settings{};
    ::tcgetattr(slave, &settings);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    if (!line_editing) {
      settings.c_lflag &= ~static_cast<tcflag_t>(ICANON);
      settings.c_cc[VMIN] = 1;
      settings.c_cc[VTIME] = 0;
    }
    ::tcsetattr(slave, TCSANOW, &settings);
    ::dup2(slave, STDIN_FILENO);
    ::dup2(slave, STDOUT_FILENO);
    ::dup2(error_pipe[1], STDERR_FILENO);
    for (const int fd : {slave, terminal_, error_pipe[0], error_pipe[1]}) ::close(fd);
    ::execl(FCLIMITS_PATH, FCLIMITS_PATH, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(error_pipe[1]);
  error_pipe_ = error_pipe[0];
}

pty_session::~pty_session() {
  if (child_ > 0) {
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
  if (terminal_ >= 0) ::close(terminal_);
  if (error_pipe_ >= 0) ::close(error_pipe_);
}

void pty_session::read_some(int timeout_ms) {
  std::array<pollfd, 2> fds = {{{terminal_, POLLIN, 0}, {error_pipe_, POLLIN, 0}}};
  if (::poll(fds.data(), fds.size(), timeout_ms) <= 0) return;
  std::array<char, 4096> chunk{};
  if (fds[0].revents != 0 && terminal_ >= 0) {
    const ssize_t got = ::read(terminal_, chunk.data(), chunk.size());
    if (got > 0) unread_.append(chunk.data(), static_cast<std::size_t>(got));
    if (got < 0 && errno == EIO) fds[0].fd = -1;  // the program has closed its side
  }
  if (fds[1].revents != 0 && error_pipe_ >= 0) {
    const ssize_t got = ::read(error_pipe_, chunk.data(), chunk.size());
    if (got > 0) err_.append(chunk.data(), static_cast<std::size_t>(got));
  }
}

std::string pty_session::read_until(std::string_view marker, int timeout_ms) {
  const auto deadline = clock_type::now() + std::chrono::milliseconds(timeout_ms);
  while (unread_.find(marker) == std::string::npos && remaining_ms(deadline) > 0) {
    read_some(remaining_ms(deadline));
  }
  return std::exchange(unread_, {});
}

std::string pty_session::read_for(int ms) {
  const auto deadline = clock_type::now() + std::chrono::milliseconds(ms);
  while (remaining_ms(deadline) > 0) read_some(remaining_ms(deadline));
  return std::exchange(unread_, {});
}

void pty_session::type(std::string_view keys) {
  while (!keys.empty()) {
    const ssize_t sent = ::write(terminal_, keys.data(), keys.size());
    if (sent <= 0) return;
    keys.remove_prefix(static_cast<std::size_t>(sent));
  }
}

program_result pty_session::wait_for_end(int timeout_ms) {
  program_result result;
  const auto deadline = clock_type::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  while (::waitpid(child_, &status, WNOHANG) == 0) {
    if (remaining_ms(deadline) == 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, &status, 0);
      break;
    }
    read_some(20);
  }
  child_ = -1;
  // Whatever the program wrote before it ended is still in the terminal and pipe.
  for (int i = 0; i < 5; ++i) read_some(10);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = std::exchange(unread_, {});
  result.err = std::exchange(err_, {});
  return result;
}

}  // namespace test_support
