// The GEMDOS memory calls Malloc, Mfree and Mshrink: a bump allocator over
// the free memory above the running program.
#pragma once

#include <cstdint>

#include "oscalls/call_params.h"

namespace oscalls {

// The allocator of the running program. A child's start saves its parent's
// and gives the child one of its own; the child's end puts the parent's back.
struct MallocState {
  // The address the next Malloc hands out.
  uint32_t next = 0;
  // Where Malloc must stop in a child (the end of its memory); 0 for the
  // first program, which reads the memory top the ROM set
  // (machine::kMemoryTopVariable).
  uint32_t limit = 0;
  // The lowest block a child may Mshrink (its basepage), and the lowest
  // address Mshrink may move `next` to in it (where its Malloc started:
  // below are its program or its parent's blocks). Both 0 for the first
  // program, which may shrink any block.
  uint32_t lowest_block = 0;
  uint32_t lowest_next = 0;

  // A child whose basepage is at `basepage`: blocks from `next` to `limit`.
  static MallocState for_child(uint32_t basepage, uint32_t next, uint32_t limit) {
    return MallocState{next, limit, basepage, next};
  }
};

extern MallocState malloc_state;

// The first program's allocator: blocks from `first_free` (the end of its
// program file) up to the memory top, every block shrinkable. The runner
// sets it up once the file is loaded; the machine set-up with 0.
void start_malloc(uint32_t first_free);

// The first address Malloc may not hand out now.
uint32_t malloc_top();

void malloc_call(Long size);
void mfree(Pointer block);
void mshrink(Word reserved, Pointer block, Long new_size);

}  // namespace oscalls
