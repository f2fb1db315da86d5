// EmuMemory: the 16 MB emulated address space, stored in reversed byte order
// so that a big-endian 16- or 32-bit guest value is one native little-endian
// load at index 0xFFFFFE - A or 0xFFFFFC - A.
//
// Host code (runner, OS calls, fault reports) reaches guest memory only
// through the direct-access helpers below: they mask the address to 24 bits,
// never decode I/O and never fail. Accesses that would run past 0xFFFFFF take
// each byte's address modulo 2^24, so nothing outside the array is touched.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "machine/code_watch.h"

namespace machine {

inline constexpr uint32_t kMemorySize = 0x1000000;
inline constexpr uint32_t kAddressMask = 0xFFFFFF;
inline constexpr uint32_t kIoRegionStart = 0xFF8000;

static_assert(std::endian::native == std::endian::little,
              "the reversed memory layout relies on a little-endian host");

extern uint8_t emu_memory[kMemorySize];

// Raw accessors at an already valid 24-bit address; the caller guarantees
// that the whole value lies inside the array (A <= 0xFFFFFE for words,
// A <= 0xFFFFFC for longs).
inline uint32_t raw_read8(uint32_t a) {
  return emu_memory[0xFFFFFF - a];
}
inline uint32_t raw_read16(uint32_t a) {
  uint16_t v;
  std::memcpy(&v, &emu_memory[0xFFFFFE - a], 2);
  return v;
}
inline uint32_t raw_read32(uint32_t a) {
  uint32_t v;
  std::memcpy(&v, &emu_memory[0xFFFFFC - a], 4);
  return v;
}
inline void raw_write8(uint32_t a, uint32_t v) {
  emu_memory[0xFFFFFF - a] = static_cast<uint8_t>(v);
}
inline void raw_write16(uint32_t a, uint32_t v) {
  uint16_t w = static_cast<uint16_t>(v);
  std::memcpy(&emu_memory[0xFFFFFE - a], &w, 2);
}
inline void raw_write32(uint32_t a, uint32_t v) {
  std::memcpy(&emu_memory[0xFFFFFC - a], &v, 4);
}

// Direct access for host code. Writes tell the translation tier when they
// touch translated code (see code_watch.h).
inline uint32_t peek8(uint32_t a) {
  return raw_read8(a & kAddressMask);
}
inline uint32_t peek16(uint32_t a) {
  a &= kAddressMask;
  if (a <= 0xFFFFFE) return raw_read16(a);
  return (raw_read8(a) << 8) | raw_read8((a + 1) & kAddressMask);
}
inline uint32_t peek32(uint32_t a) {
  a &= kAddressMask;
  if (a <= 0xFFFFFC) return raw_read32(a);
  return (peek16(a) << 16) | peek16(a + 2);
}
inline void poke8(uint32_t a, uint32_t v) {
  a &= kAddressMask;
  raw_write8(a, v);
  note_write(a, 1);
}
inline void poke16(uint32_t a, uint32_t v) {
  a &= kAddressMask;
  if (a > 0xFFFFFE) {
    poke8(a, v >> 8);
    poke8(a + 1, v);
    return;
  }
  raw_write16(a, v);
  note_write(a, 2);
}
inline void poke32(uint32_t a, uint32_t v) {
  a &= kAddressMask;
  if (a > 0xFFFFFC) {
    poke16(a, v >> 16);
    poke16(a + 2, v);
    return;
  }
  raw_write32(a, v);
  note_write(a, 4);
}

// Byte-wise copies between host buffers and guest memory; the guest address
// advances modulo 2^24.
void copy_to_guest(uint32_t guest, const void* src, size_t n);
void copy_from_guest(void* dst, uint32_t guest, size_t n);
// Copies a NUL-terminated guest string into dst (at most cap - 1 characters,
// always terminated); returns the number of characters copied.
size_t read_guest_string(char* dst, size_t cap, uint32_t guest);
// Writes a host string and its terminating NUL to guest memory.
void write_guest_string(uint32_t guest, const char* s);

void clear_memory();

}  // namespace machine
