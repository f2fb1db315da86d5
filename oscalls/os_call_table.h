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
//   c  word holding a character    p  long pointer, hex
//   s  long pointer to a NUL-terminated string, shown quoted
// for example "handle:w count:l buffer:p". An empty text means none.
struct OsCall {
  uint16_t number;
  const char* name;
  const char* params;
  void (*handler)(uint32_t params);
};

struct OsCallLayer {
  const char* label;  // as it appears in the "UNHANDLED ... CALL" message
  std::span<const OsCall> calls;
  const OsCallNameTable& names;
};

// Reads the function number at `params` and runs its row; a number without a
// row prints the unhandled-call message and answers -32 (invalid function).
void dispatch_os_call(const OsCallLayer& layer, uint32_t params);

// A call's result, seen by the program in D0.
void set_d0(uint32_t value);
inline void set_d0_signed(int32_t value) {
  set_d0(static_cast<uint32_t>(value));
}

inline constexpr int32_t kInvalidFunction = -32;

}  // namespace oscalls
