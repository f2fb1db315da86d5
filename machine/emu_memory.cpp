#include "machine/emu_memory.h"

#include <sys/mman.h>

#include <algorithm>

namespace machine {

// Page-aligned so that clearing can hand whole pages back to the kernel.
alignas(4096) uint8_t emu_memory[kMemorySize];

// Both copies go in runs up to the end of the address space, then on from
// address 0; in the reversed layout a run of guest addresses is a run of the
// array backwards. A byte loop through poke8/peek8 made multi-megabyte
// transfers (a console write of 1 GB) many times slower than this.
void copy_to_guest(uint32_t guest, const void* src, size_t n) {
  const auto* p = static_cast<const uint8_t*>(src);
  uint32_t at = guest & kAddressMask;
  while (n > 0) {
    const size_t run = std::min<size_t>(n, kMemorySize - at);
    std::reverse_copy(p, p + run, emu_memory + (kMemorySize - at - run));
    note_range_write(at, run);
    p += run;
    n -= run;
    at = 0;
  }
}

void copy_from_guest(void* dst, uint32_t guest, size_t n) {
  auto* p = static_cast<uint8_t*>(dst);
  uint32_t at = guest & kAddressMask;
  while (n > 0) {
    const size_t run = std::min<size_t>(n, kMemorySize - at);
    const uint8_t* from = emu_memory + (kMemorySize - at - run);
    std::reverse_copy(from, from + run, p);
    p += run;
    n -= run;
    at = 0;
  }
}

size_t read_guest_string(char* dst, size_t cap, uint32_t guest) {
  size_t i = 0;
  if (cap == 0) return 0;
  for (; i + 1 < cap; ++i) {
    char c = static_cast<char>(peek8(guest + static_cast<uint32_t>(i)));
    if (c == 0) break;
    dst[i] = c;
  }
  dst[i] = 0;
  return i;
}

void write_guest_string(uint32_t guest, const char* s) {
  uint32_t i = 0;
  do {
    poke8(guest + i, static_cast<uint8_t>(s[i]));
  } while (s[i++] != 0);
}

void clear_memory() {
  // Dropped pages read as zero again and are only faulted in when touched,
  // so a run pays for the memory it uses rather than for all 16 MB.
  if (madvise(emu_memory, sizeof emu_memory, MADV_DONTNEED) != 0)
    std::memset(emu_memory, 0, sizeof emu_memory);
  note_range_write(0, kMemorySize);
}

}  // namespace machine
