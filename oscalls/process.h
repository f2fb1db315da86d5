// Process calls: running child programs (Pexec) and ending programs (Pterm0,
// Pterm), the supervisor switch and the probes for a later OS.
#pragma once

#include <cstdint>

namespace oscalls {

// Children running inside each other at most; one more Pexec answers -39.
inline constexpr unsigned kMaxChildDepth = 16;

// No child running, nothing prepared, and the first program's Malloc with
// nothing loaded yet (machine set-up).
void reset_processes();
// How many children are running inside each other now.
unsigned child_depth();

// Ends the running program with `code`: a child returns to its parent's
// Pexec, which answers the code sign-extended; the first program ends the
// run with the code as exit status.
void terminate_program(uint16_t code);

void pterm0(uint32_t params);
void pterm(uint32_t params);
void pexec(uint32_t params);
void super(uint32_t params);
void ssystem(uint32_t params);

}  // namespace oscalls
