#include "oscalls/param_stream.h"

#include "machine/emu_memory.h"

namespace oscalls {

namespace {
// Kept unmasked; only each read's address is masked.
uint32_t cursor;
}  // namespace

void param_start(uint32_t address) {
  cursor = address;
}

uint32_t param_read16() {
  uint32_t v = machine::peek16(cursor);
  cursor += 2;
  return v;
}

uint32_t param_read32() {
  uint32_t v = machine::peek32(cursor);
  cursor += 4;
  return v;
}

}  // namespace oscalls
