#include "oscalls/console.h"

#include <cstdio>

#include "machine/emu_memory.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

void answer_zero(uint32_t) {
  set_d0(0);
}

void cconws(uint32_t) {
  uint32_t s = param_read32();
  // Bounded by the address space, so a string without terminator cannot
  // keep the run printing forever.
  for (uint32_t i = 0; i < machine::kMemorySize; ++i) {
    uint32_t c = machine::peek8(s + i);
    if (c == 0) break;
    std::putchar(static_cast<int>(c));
  }
}

}  // namespace oscalls
