// Memory calls: a bump allocator over the free memory above the program.
#pragma once

#include <cstdint>

namespace oscalls {

// The address the next Malloc hands out; the runner sets it to the end of
// the loaded program file, and a child starts with it above its own BSS.
extern uint32_t malloc_next;

// Where Malloc must stop in a running child (the end of its memory); 0 for
// the first program, which reads the memory top the ROM set
// (machine::kMemoryTopVariable).
extern uint32_t malloc_limit;

// The lowest block a running child may Mshrink (its basepage), and the
// lowest address Mshrink may move the next Malloc address to in it (where
// its Malloc started: below are its program or its parent's blocks). Both 0
// for the first program, which may shrink any block.
extern uint32_t mshrink_floor;
extern uint32_t malloc_floor;

// The first address Malloc may not hand out now.
uint32_t malloc_top();

void malloc_call(uint32_t params);
void mfree(uint32_t params);
void mshrink(uint32_t params);

}  // namespace oscalls
