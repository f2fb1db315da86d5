#include "oscalls/malloc_calls.h"

#include "machine/emu_memory.h"
#include "machine/os_rom_symbols.h"
#include "oscalls/os_call_table.h"
#include "oscalls/program_loader.h"

namespace oscalls {

MallocState malloc_state;

namespace {
constexpr uint32_t kMallocFreeQuery = 0xFFFFFFFF;
}  // namespace

void start_malloc(uint32_t first_free) {
  malloc_state = MallocState{first_free, 0, 0, 0};
}

uint32_t malloc_top() {
  return malloc_state.limit != 0 ? malloc_state.limit
                                 : machine::peek32(machine::kMemoryTopVariable);
}

// A bump allocator. Sizes are unsigned: a request that would reach past the
// memory top (computed without wrap-around) fails, so a huge or "negative"
// size can never hand out memory above the top or move `next` down.
// Malloc(-1) answers the largest block a Malloc grants now: all that is left
// below the top (programs size their buffers that way and take it whole).
void malloc_call(Long size) {
  const uint32_t top = malloc_top();
  const uint32_t next = malloc_state.next;
  if (size == kMallocFreeQuery) {
    set_d0(next < top ? top - next : 0);
    return;
  }
  const uint64_t end = uint64_t{next} + size;
  if (next >= top || end > top) {
    set_d0(0);
    return;
  }
  set_d0(next);
  malloc_state.next = static_cast<uint32_t>(end);
}

void mfree(Pointer) {
  set_d0(0);
}

// The pointer moves to block + new size. A child may not shrink a block
// below its own basepage (that memory is its parent's), and shrinking its
// own program block leaves the pointer no lower than where its Malloc
// started, which may lie above blocks its parent took after loading it.
void mshrink(Word /*reserved*/, Pointer block, Long new_size) {
  if (block < malloc_state.lowest_block) {
    set_d0_signed(kInvalidMemoryBlock);
    return;
  }
  const uint32_t end = block + new_size;
  malloc_state.next = end < malloc_state.lowest_next ? malloc_state.lowest_next : end;
  set_d0(0);
}

}  // namespace oscalls
