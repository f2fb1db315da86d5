// Memory calls: a bump allocator over the free memory above the program.
#pragma once

#include <cstdint>

namespace oscalls {

// The address the next Malloc hands out; the runner sets it to the end of
// the loaded program file.
extern uint32_t malloc_next;

// The long at 0x436: the top of the memory Malloc hands out.
inline constexpr uint32_t kMemoryTopAddress = 0x436;

void malloc_call(uint32_t params);
void mfree(uint32_t params);
void mshrink(uint32_t params);

}  // namespace oscalls
