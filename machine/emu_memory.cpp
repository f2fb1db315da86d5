#include "machine/emu_memory.h"

#include <sys/mman.h>

namespace machine {

// Page-aligned so that clearing can hand whole pages back to the kernel.
alignas(4096) uint8_t emu_memory[kMemorySize];

void copy_to_guest(uint32_t guest, const void* src, size_t n) {
  const auto* p = static_cast<const uint8_t*>(src);
  for (size_t i = 0; i < n; ++i) poke8(guest + static_cast<uint32_t>(i), p[i]);
}

void copy_from_guest(void* dst, uint32_t guest, size_t n) {
  auto* p = static_cast<uint8_t*>(dst);
  for (size_t i = 0; i < n; ++i)
    p[i] = static_cast<uint8_t>(peek8(guest + static_cast<uint32_t>(i)));
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
  if (madvise(emu_memory, sizeof emu_memory, MADV_DONTNEED) == 0) return;
  std::memset(emu_memory, 0, sizeof emu_memory);
}

}  // namespace machine
