// The declarative shape of an OS-call layer: one row per handled call
// (number, name, parameters, handler). The same rows drive the dispatch, the
// "UNHANDLED" path and the trace of vellum-trace.
#pragma once

#include <cstdint>
#include <span>

#include "oscalls/name_tables.h"
#include "oscalls/param_stream.h"

namespace oscalls {

// One handled call of a layer. The handler runs with the cursor just past
// the function number and reads its own parameters; it is given the
// parameter pointer for the calls that need it (Super).
//
// `params` describes the parameters after the function number for the
// trace, as space-separated name:kind pairs, kind one of
//   w  word, unsigned decimal      l  long, signed decimal
//   i  word, signed decimal (handles, codes, modes that may be -1)
//   c  word holding a character    p  long pointer, hex
//   s  long pointer to a NUL-terminated string, shown quoted
// for example "handle:i count:l buffer:p". An empty text means none.
struct OsCall {
  uint16_t number;
  const char* name;
  const char* params;
  void (*handler)(uint32_t params);
};

// Numbers of a layer at or above `quiet_from` that have no row belong to a
// later version of the OS: they answer -32 as an OS without them does,
// without the unhandled-call line, which would land in the program's output.
inline constexpr uint32_t kNoQuietNumbers = 0x10000;

struct OsCallLayer {
  const char* label;  // as it appears in the "UNHANDLED ... CALL" message
  std::span<const OsCall> calls;
  const OsCallNameTable& names;
  uint32_t quiet_from = kNoQuietNumbers;
};

// Reads the function number at `params` and runs its row; a number without a
// row answers -32 (invalid function), with the unhandled-call message unless
// it is one of the layer's quiet numbers.
void dispatch_os_call(const OsCallLayer& layer, uint32_t params);

// A call's result, seen by the program in D0.
void set_d0(uint32_t value);
inline void set_d0_signed(int32_t value) {
  set_d0(static_cast<uint32_t>(value));
}

inline constexpr int32_t kInvalidFunction = -32;

// For a call whose caller gets its answer later: a Pexec that starts a child
// answers its parent only when the child ends. Its handler calls
// hold_trace_line(), and the traced call's line waits, parameters decoded,
// until answer_held_trace_line() (the innermost held line first) adds D0 as
// the parent gets it; when that happens inside a traced call (the child's
// Pterm), the held line follows that call's own line. Both do nothing when
// the trace is off.
inline constexpr unsigned kMaxHeldTraceLines = 16;
void hold_trace_line();
void answer_held_trace_line();
// At the end of the run: the lines of calls that never got their answer (a
// fault in a child ends the run inside it), each marked as such.
void end_held_trace_lines();
// No line held (machine set-up).
void reset_held_trace_lines();

}  // namespace oscalls
