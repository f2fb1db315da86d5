#include "robust_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace fs = std::filesystem;

namespace robust {

namespace {

bool drain(int fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<size_t>(n));
      continue;
    }
    return n == 0;  // true at end of file
  }
}

}  // namespace

Outcome launch(const Launch& l) {
  Outcome o;
  int out_pipe[2], err_pipe[2];
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) return o;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(l.dir.c_str()) != 0) ::_exit(126);
    // The test process may ignore SIGPIPE; vellum must start with defaults.
    std::signal(SIGPIPE, SIG_DFL);
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, 0);
    if (null_fd > 2) ::close(null_fd);
    for (int fd : l.closed_descriptors) ::close(fd);
    for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
      if (fd > 2) ::close(fd);
    std::vector<std::string> words = {VELLUM_BINARY, l.program.string()};
    words.insert(words.end(), l.args.begin(), l.args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    ::execv(VELLUM_BINARY, argv.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  int out_fd = out_pipe[0];
  const int err_fd = err_pipe[0];
  ::fcntl(out_fd, F_SETFL, O_NONBLOCK);
  ::fcntl(err_fd, F_SETFL, O_NONBLOCK);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(l.timeout_seconds);
  bool out_open = true, err_open = true, interfered = false;
  int status = 0;
  bool reaped = false;
  while (out_open || err_open || !reaped) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      o.timed_out = true;
      break;
    }
    if (out_open && drain(out_fd, o.out)) out_open = false;
    if (err_open && drain(err_fd, o.err)) err_open = false;
    if (!o.marker_seen && o.out.find(l.marker) != std::string::npos) o.marker_seen = true;
    if (o.marker_seen && !interfered && l.interference != Interference::kNone) {
      interfered = true;
      if (l.interference == Interference::kClosePipe) {
        ::close(out_fd);
        out_open = false;
      } else {
        ::kill(pid, l.signal);
      }
    }
    if (!reaped && ::waitpid(pid, &status, WNOHANG) == pid) reaped = true;
    struct pollfd fds[2] = {{out_open ? out_fd : -1, POLLIN, 0},
                            {err_open ? err_fd : -1, POLLIN, 0}};
    ::poll(fds, 2, 5);
  }
  if (!reaped) ::waitpid(pid, &status, 0);
  if (out_open) ::close(out_fd);
  ::close(err_fd);
  if (!o.timed_out) {
    if (WIFEXITED(status)) o.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) o.signal = WTERMSIG(status);
  }
  return o;
}

}  // namespace robust
