// Process calls: running child programs (Pexec) and ending programs (Pterm0,
// Pterm), the supervisor switch and the probes for a later OS.
#pragma once

#include <cstdint>

#include "oscalls/call_params.h"

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

void pterm0();
void pterm(SignedWord code);
// Modes 4 and 6 pass the basepage to run where the others pass the tail.
void pexec(Word mode, StringPointer name, Pointer tail, Pointer env);
// `block`: the call's parameter block, where the caller's stack continues.
void super(BlockAddress block, Pointer stack);
// Each mode gives the two longs a meaning of its own; this OS has none of
// the modes, and every one answers -32.
void ssystem(SignedWord mode, Long arg1, Long arg2);

}  // namespace oscalls
