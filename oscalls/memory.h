// Memory calls: a bump allocator over the free memory above the program.
#pragma once

#include <cstdint>

#include "oscalls/call_params.h"

namespace oscalls {

// The address the next Malloc hands out; the runner sets it to the end of
// the loaded program file, and a child starts with it above its own BSS.
extern uint32_t malloc_next;

// Where Malloc must stop in a running child (the end of its memory); 0 for
// the first program, which reads the memory top at 0x436.
extern uint32_t malloc_limit;

// The lowest block a running child may Mshrink (its basepage), and the
// lowest address Mshrink may move the next Malloc address to in it (where
// its Malloc started: below are its program or its parent's blocks). Both 0
// for the first program, which may shrink any block.
extern uint32_t mshrink_floor;
extern uint32_t malloc_floor;

// The long at 0x436: the top of the memory Malloc hands out.
inline constexpr uint32_t kMemoryTopAddress = 0x436;

// The first address Malloc may not hand out now.
uint32_t malloc_top();

void malloc_call(Long size);
void mfree(Pointer block);
void mshrink(Word reserved, Pointer block, Long new_size);

}  // namespace oscalls
