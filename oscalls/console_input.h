// The host's standard input as the program's keyboard: one buffered stream
// over descriptor 0, read with read(2) only, so the character calls and
// Fread from handle 0 share one position and no byte is held back in a
// buffer of the host's C library.
//
// The end of input is sticky: once a read has reported it, the descriptor
// is not read again (a terminal user's Ctrl-D ends the input for good).
#pragma once

#include <cstdint>

namespace oscalls {

// Start-up: reads from `fd` (0 in vellum; tests give a pipe) and finds out
// whether it is a terminal.
void console_input_reset(int fd);

// A terminal in its line mode echoes what the user types, so the program's
// echo is left out there; any other input is echoed by the calls that echo.
bool console_input_is_terminal();

// The next byte, waiting for it; -1 at the end of input.
int console_input_next();
// Whether a byte can be had without waiting. False at the end of input.
bool console_input_waiting();
// The next byte if one is buffered already (never reads); -1 otherwise.
int console_input_buffered_peek();
// Up to `count` bytes into `buffer`, untranslated: waits for the first,
// then takes what is there without waiting again. 0 at the end of input.
uint32_t console_input_read(uint32_t buffer, uint32_t count);

}  // namespace oscalls
