// The declarative shape of an OS-call layer: one row per handled call
// (number, name, parameters, handler). The same rows drive the dispatch, the
// "UNHANDLED" path and the trace of vellum-trace.
#pragma once

#include <cstdint>
#include <span>

#include "oscalls/call_params.h"
#include "oscalls/name_tables.h"

namespace oscalls {

// One handled call of a layer: its number, its published name, the names of
// its parameters and its handler, whose parameter types say how each is read
// and shown (call_params.h):
//   {0x003F, "Fread", "handle count buffer", handler<fread_call>}
// for void fread_call(SignedWord handle, Long count, Pointer buffer). The
// dispatch reads the parameters after the function number once; the trace
// and the handler get those same values.
//
// Every row's parameter block has one shape, and where a parameter's meaning
// depends on another, the handler sorts it out: Pexec's modes 4 and 6 pass a
// basepage where modes 0, 3 and 5 pass the command tail, Setexc's address -1
// only asks, Ssystem's two longs mean what its mode makes them. Supexec reads
// only the routine's address; what a program pushes after it is for the
// routine. Super also takes the block's own address (a BlockAddress, which
// the row does not name). Line-A is not an OS call: it has no parameter
// block and its own channel (line_a.h).
struct OsCall {
  uint16_t number;
  const char* name;
  CallParams params;
  void (*run)(const DecodedParams&);

  consteval OsCall(uint16_t number, const char* name, const char* param_names,
                   const TypedHandler& typed)
      : number(number), name(name), params(name_params(param_names, typed)), run(typed.run) {}
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
