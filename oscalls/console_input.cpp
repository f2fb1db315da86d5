#include "oscalls/console_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#include "machine/emu_memory.h"
#include "machine/run_state.h"

namespace oscalls {

namespace {

constexpr size_t kInputBufferSize = 4096;

uint8_t input_buffer[kInputBufferSize];
size_t input_pos;
size_t input_length;
bool input_ended;
bool input_terminal;
int input_fd;

bool buffered() {
  return input_pos < input_length;
}

// Waits (or, with `wait` false, only looks) for the descriptor to be
// readable; a hang-up or error counts as readable, as read() then reports
// the end.
bool readable(bool wait) {
  // A wait gives way to the end of the run (an end signal, a failed
  // output), so a program blocked on its input never outlives a Ctrl-C.
  if (wait) return machine::wait_for_input(input_fd);
  pollfd p{input_fd, POLLIN, 0};
  for (;;) {
    const int n = ::poll(&p, 1, wait ? -1 : 0);
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return true;  // let read() tell what is wrong
  }
}

// One read into the empty buffer. Answers whether bytes arrived; a read of
// nothing, or an error other than an interruption, is the end of input.
bool refill(bool wait) {
  if (input_ended) return false;
  if (!readable(wait)) return false;
  for (;;) {
    const ssize_t n = ::read(input_fd, input_buffer, sizeof input_buffer);
    if (n > 0) {
      input_pos = 0;
      input_length = static_cast<size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    // A descriptor left non-blocking by whoever started vellum.
    if (n < 0 && errno == EAGAIN) {
      if (!wait || !readable(true)) return false;
      continue;
    }
    input_ended = true;
    return false;
  }
}

}  // namespace

void console_input_reset(int fd) {
  input_fd = fd;
  input_pos = input_length = 0;
  input_ended = false;
  input_terminal = ::isatty(fd) == 1;
}

bool console_input_is_terminal() {
  return input_terminal;
}

int console_input_next() {
  if (!buffered() && !refill(true)) return -1;
  return input_buffer[input_pos++];
}

bool console_input_waiting() {
  return buffered() || refill(false);
}

int console_input_buffered_peek() {
  return buffered() ? input_buffer[input_pos] : -1;
}

uint32_t console_input_read(uint32_t buffer, uint32_t count) {
  uint32_t total = 0;
  while (total < count) {
    if (!buffered() && !refill(total == 0)) break;
    size_t n = input_length - input_pos;
    if (n > count - total) n = count - total;
    machine::copy_to_guest(buffer + total, input_buffer + input_pos, n);
    input_pos += n;
    total += static_cast<uint32_t>(n);
  }
  return total;
}

}  // namespace oscalls
