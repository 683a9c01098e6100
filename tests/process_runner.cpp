#include "tests/process_runner.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace test_support {
namespace {

// Reads what is there; closes the descriptor at the end of the stream (a
// pseudo-terminal reports that as EIO once the program has closed its side).
void drain_into(int& fd, std::string& sink) {
  std::array<char, 4096> chunk{};
  const ssize_t got = ::read(fd, chunk.data(), chunk.size());
  if (got > 0) {
    sink.append(chunk.data(), static_cast<std::size_t>(got));
  } else if (got == 0 || errno != EINTR) {
    ::close(fd);
    fd = -1;
  }
}

void make_nonblocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// The error stream's two ends: a pipe, or a pseudo-terminal without output
// processing, so its bytes arrive as the program wrote them.
void open_error_stream(bool terminal, int& ours, int& theirs) {
  if (!terminal) {
    int ends[2];
    if (::pipe(ends) != 0) std::abort();
    ours = ends[0];
    theirs = ends[1];
    return;
  }
  ours = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (ours < 0 || ::grantpt(ours) != 0 || ::unlockpt(ours) != 0) std::abort();
  theirs = ::open(::ptsname(ours), O_RDWR | O_NOCTTY);
  termios settings{};
  ::tcgetattr(theirs, &settings);
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  ::tcsetattr(theirs, TCSANOW, &settings);
}

}  // namespace

program_result run_process(const char* path, const std::vector<std::string>& arguments,
                           std::string_view input, const stream_setup& setup, int timeout_seconds) {
  int in_pipe[2], out_pipe[2];
  if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0) std::abort();
  int err_ours = -1, err_theirs = -1;
  open_error_stream(setup.error_on_terminal, err_ours, err_theirs);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    if (setup.folder != nullptr && ::chdir(setup.folder) != 0) ::_exit(127);
    if (setup.file_size_limit >= 0) {
      const rlimit size{static_cast<rlim_t>(setup.file_size_limit),
                        static_cast<rlim_t>(setup.file_size_limit)};
      ::setrlimit(RLIMIT_FSIZE, &size);
    }
    if (setup.nonblocking_input) make_nonblocking(in_pipe[0]);
    if (setup.nonblocking_output) make_nonblocking(out_pipe[1]);
    ::dup2(in_pipe[0], STDIN_FILENO);
    ::dup2(err_theirs, STDERR_FILENO);
    if (setup.input_path != nullptr) {
      ::dup2(::open(setup.input_path, setup.input_flags), STDIN_FILENO);
    }
    if (setup.input_closed) ::close(STDIN_FILENO);
    if (setup.error_closed) ::close(STDERR_FILENO);
    if (setup.output_closed) {
      ::close(STDOUT_FILENO);
    } else if (setup.output_path != nullptr) {
      ::dup2(::open(setup.output_path, setup.output_flags), STDOUT_FILENO);
    } else {
      ::dup2(out_pipe[1], STDOUT_FILENO);
    }
    for (const int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_ours, err_theirs}) {
      ::close(fd);
    }
    ::execv(path, argv.data());
    ::_exit(127);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_theirs);
  int in_fd = in_pipe[1];
  int out_fd = out_pipe[0];
  int err_fd = err_ours;
  ::fcntl(in_fd, F_SETFL, O_NONBLOCK);
  ::signal(SIGPIPE, SIG_IGN);  // the program may end before taking all its input

  program_result result;
  std::size_t written = 0;
  if (input.empty()) {
    ::close(in_fd);
    in_fd = -1;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::seconds(timeout_seconds);
  auto due = [start](int delay_ms) {
    return std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(delay_ms);
  };
  bool signalled = setup.signal == 0;
  while (out_fd >= 0 || err_fd >= 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      break;
    }
    if (!signalled && due(setup.signal_after_ms)) {
      ::kill(child, setup.signal);
      signalled = true;
    }
    // A stream not yet due is left out of the poll (a negative fd is ignored).
    std::array<pollfd, 3> fds = {{{due(setup.input_delay_ms) ? in_fd : -1, POLLOUT, 0},
                                  {due(setup.output_delay_ms) ? out_fd : -1, POLLIN, 0},
                                  {err_fd, POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), 10) < 0) continue;
    if (in_fd >= 0 && fds[0].revents != 0) {
      const ssize_t sent = ::write(in_fd, input.data() + written, input.size() - written);
      if (sent > 0) written += static_cast<std::size_t>(sent);
      if (sent < 0 && errno != EAGAIN && errno != EINTR) written = input.size();
      if (written == input.size()) {
        ::close(in_fd);
        in_fd = -1;
      }
    }
    if (out_fd >= 0 && fds[1].revents != 0) drain_into(out_fd, result.out);
    if (err_fd >= 0 && fds[2].revents != 0) drain_into(err_fd, result.err);
  }
  for (const int fd : {in_fd, out_fd, err_fd}) {
    if (fd >= 0) ::close(fd);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace test_support
