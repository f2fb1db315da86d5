#include "machine/run_state.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "machine/cpu_link.h"

namespace machine {

uint32_t quit_flag;
uint32_t exit_code;
volatile std::sig_atomic_t pending_signal;

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

bool output_error_seen;
// Written by the signal handler so wait_for_input's poll wakes even when the
// signal lands between its flag check and the poll itself.
int wake_pipe[2] = {-1, -1};

// Only async-signal-safe work: a flag, a byte into a non-blocking pipe, and
// the CPU's end_timeslice, which stores two integers of its state. The run loop
// does the rest once execute has returned.
void on_end_signal(int signo) {
  const int saved_errno = errno;
  pending_signal = signo;
  if (wake_pipe[1] >= 0) {
    const char byte = 0;
    [[maybe_unused]] ssize_t n = ::write(wake_pipe[1], &byte, 1);
  }
  end_cpu_timeslice();
  errno = saved_errno;
}

}  // namespace

void stop_run() {
  quit_flag = 1;
  end_cpu_timeslice();
}

void fail_run() {
  exit_code = kFailedRunCode;
  stop_run();
}

void install_signal_handlers() {
  if (wake_pipe[0] < 0 && ::pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    wake_pipe[0] = wake_pipe[1] = -1;
  struct sigaction action {};
  action.sa_handler = on_end_signal;
  sigemptyset(&action.sa_mask);
  // Every end signal is held off while the handler runs; no SA_RESTART, so
  // a blocking read returns EINTR and the reader looks at the flag.
  for (int s : kEndSignals) sigaddset(&action.sa_mask, s);
  for (int s : kEndSignals) sigaction(s, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

void block_end_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kEndSignals) sigaddset(&set, s);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

bool stdout_in_error() {
  return std::ferror(stdout) != 0;
}

bool output_failed() {
  if (!output_error_seen && stdout_in_error()) {
    output_error_seen = true;
    stop_run();
  }
  return output_error_seen;
}

HostEnd host_end() {
  if (pending_signal != 0) return HostEnd::kSignal;
  if (output_error_seen) return HostEnd::kOutputFailed;
  return HostEnd::kNone;
}

bool wait_for_input(int fd) {
  for (;;) {
    if (pending_signal != 0 || quit_flag != 0) return false;
    struct pollfd fds[2] = {{fd, POLLIN, 0}, {wake_pipe[0], POLLIN, 0}};
    const int n = ::poll(fds, wake_pipe[0] >= 0 ? 2 : 1, -1);
    if (n < 0 && errno != EINTR) return true;  // let the read itself report it
    if (pending_signal != 0) return false;
    if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL))) return true;
  }
}

}  // namespace machine
