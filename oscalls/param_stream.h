// ParamStream: the cursor from which OS-call parameters are read, big-endian,
// straight from guest memory; and the table-driven dispatch shared by the
// GEMDOS, BIOS and XBIOS layers.
#pragma once

#include <cstdint>
#include <span>

#include "oscalls/name_tables.h"

namespace oscalls {

void param_start(uint32_t address);
uint32_t param_read16();
uint32_t param_read32();

// One handled call of a layer. The handler runs with the cursor just past
// the function number and reads its own parameters; it is given the
// parameter pointer for the one call (Super) that needs it.
struct OsCall {
  uint16_t number;
  const char* name;
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

inline constexpr int32_t kInvalidFunction = -32;

}  // namespace oscalls
