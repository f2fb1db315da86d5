#include "oscalls/console_output.h"

#include <cstdio>

#include "machine/emu_memory.h"
#include "machine/run_state.h"

namespace oscalls {

namespace {
constexpr uint32_t kChunk = 512;
bool line_open;
}  // namespace

void console_output_reset() {
  line_open = false;
}

void console_put(uint32_t c) {
  std::putchar(static_cast<int>(c & 0xFF));
  line_open = (c & 0xFF) != '\n';
}

int32_t console_write(int32_t count, uint32_t buffer) {
  if (count <= 0) return 0;
  uint8_t chunk[kChunk];
  for (uint32_t done = 0; done < static_cast<uint32_t>(count) && !machine::stdout_in_error();) {
    uint32_t n = static_cast<uint32_t>(count) - done;
    if (n > kChunk) n = kChunk;
    machine::copy_from_guest(chunk, buffer + done, n);
    std::fwrite(chunk, 1, n, stdout);
    line_open = chunk[n - 1] != '\n';
    done += n;
  }
  return count;
}

void console_flush() {
  std::fflush(stdout);
}

bool console_line_open() {
  return line_open;
}

}  // namespace oscalls
