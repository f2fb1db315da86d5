#include "oscalls/param_stream.h"

#include "cpu/cpu_state.h"
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

void set_d0(uint32_t value) {
  m68k::set_register(m68k::kD0, value);
}

void dispatch_os_call(const OsCallLayer& layer, uint32_t params) {
  param_start(params);
  const uint32_t number = param_read16();
  for (const OsCall& call : layer.calls) {
    if (call.number == number) {
      call.handler(params);
      return;
    }
  }
  print_unhandled_call(layer.label, layer.names, number);
  set_d0(static_cast<uint32_t>(kInvalidFunction));
}

}  // namespace oscalls
