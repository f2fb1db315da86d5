#include "oscalls/memory.h"

#include "machine/emu_memory.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

uint32_t malloc_next;

namespace {
constexpr uint32_t kMallocFreeQuery = 0xFFFFFFFF;
}  // namespace

// A bump allocator. Sizes are unsigned: a request that would reach the
// memory top (computed without wrap-around) fails, so a huge or "negative"
// size can never hand out memory above the top or move MallocNext down.
void malloc_call(uint32_t) {
  const uint32_t size = param_read32();
  const uint32_t top = machine::peek32(kMemoryTopAddress);
  const uint32_t next = malloc_next;
  if (size == kMallocFreeQuery) {
    set_d0(next < top ? top - next : 0);
    return;
  }
  const uint64_t end = uint64_t{next} + size;
  if (end >= top) {
    set_d0(0);
    return;
  }
  set_d0(next);
  malloc_next = static_cast<uint32_t>(end);
}

void mfree(uint32_t) {
  set_d0(0);
}

void mshrink(uint32_t) {
  param_read16();
  uint32_t block = param_read32();
  uint32_t new_size = param_read32();
  malloc_next = block + new_size;
  set_d0(0);
}

}  // namespace oscalls
