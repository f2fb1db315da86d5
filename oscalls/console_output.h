// The console's output side: every character the program prints, through
// any call or device, goes to the host's standard output through here.
#pragma once

#include <cstdint>

namespace oscalls {

// Start-up: nothing printed yet.
void console_output_reset();
void console_put(uint32_t c);
// Fwrite to handles 1 and 2: `count` bytes from `buffer`, which wrap at the
// top of the address space. Answers the count written, 0 for a negative
// count (nothing is written). Once the host's standard output has failed
// (a closed pipe, a full disk) the rest is not copied: it could not go out,
// and the run ends at the next timeslice.
int32_t console_write(int32_t count, uint32_t buffer);
// Before the program waits for input, so a prompt shows first.
void console_flush();
// Whether the program's output so far ends inside a line (a message of
// vellum's own then starts on a line of its own).
bool console_line_open();

}  // namespace oscalls
