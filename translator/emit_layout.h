// Where translated code finds things: everything at a fixed displacement
// from the CPU state, whose address r15 holds.
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"

namespace translator {

inline int32_t distance(const void* p) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(p) -
                              reinterpret_cast<intptr_t>(&m68k::cpu));
}

}  // namespace translator
