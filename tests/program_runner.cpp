#include "tests/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace test_support {
namespace {

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

program_result run(std::string_view input, const stream_setup& setup, int timeout_seconds) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) std::abort();
  const pid_t child = ::fork();
  if (child == 0) {
    if (setup.nonblocking_input) make_nonblocking(in_pipe[0]);
    if (setup.nonblocking_output) make_nonblocking(out_pipe[1]);
    ::dup2(in_pipe[0], STDIN_FILENO);
    ::dup2(err_pipe[1], STDERR_FILENO);
    if (setup.output_closed) {
      ::close(STDOUT_FILENO);
    } else if (setup.output_path != nullptr) {
      const int out = ::open(setup.output_path, setup.output_flags);
      ::dup2(out, STDOUT_FILENO);
    } else {
      ::dup2(out_pipe[1], STDOUT_FILENO);
    }
    for (const int fd :
         {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
      ::close(fd);
    }
    ::execl(FCLIMITS_PATH, FCLIMITS_PATH, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  int in_fd = in_pipe[1];
  int out_fd = out_pipe[0];
  int err_fd = err_pipe[0];
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
  // A stream not yet due is left out of the poll (a negative fd is ignored).
  auto after = [start](int fd, int delay_ms) {
    return std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(delay_ms) ? fd
                                                                                           : -1;
  };
  while (out_fd >= 0 || err_fd >= 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      break;
    }
    std::array<pollfd, 3> fds = {{{after(in_fd, setup.input_delay_ms), POLLOUT, 0},
                                  {after(out_fd, setup.output_delay_ms), POLLIN, 0},
                                  {err_fd, POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), 20) < 0) continue;
    if (in_fd >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      const ssize_t sent = ::write(in_fd, input.data() + written, input.size() - written);
      if (sent > 0) written += static_cast<std::size_t>(sent);
      if (sent < 0 && errno != EAGAIN && errno != EINTR) written = input.size();
      if (written == input.size()) {
        ::close(in_fd);
        in_fd = -1;
      }
    }
    if (out_fd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0)
      drain_into(out_fd, result.out);
    if (err_fd >= 0 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) != 0)
      drain_into(err_fd, result.err);
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

}  // namespace

program_result run_through_pipes(std::string_view input, int timeout_seconds) {
  return run(input, stream_setup{}, timeout_seconds);
}

program_result run_program(std::string_view input, const stream_setup& setup, int timeout_seconds) {
  return run(input, setup, timeout_seconds);
}

program_result run_with_output_file(std::string_view input, const char* output_path,
                                    int timeout_seconds) {
  stream_setup setup;
  setup.output_path = output_path;
  return run(input, setup, timeout_seconds);
}

}  // namespace test_support
