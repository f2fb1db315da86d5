// Writes into guest memory that holds translated code. The translation tier
// marks the 4 KB pages and, within them, the 64-byte lines its translations
// were made from; every write to guest RAM (the CPU's through the MemoryBus,
// host code's through the helpers of emu_memory.h) looks up its page, and
// only in a marked page its line; a write to a marked line tells the tier,
// which drops the translations of the bytes written before they run again.
//
// The page map is what every write of the interpreter reads: 4 KB, and in
// the data segment rather than the BSS, so that it is a page of its own and
// not the kernel's shared zero page. Reading the 256 KB line map (zero
// pages while nothing is translated) on every write cost the interpreter up
// to 16 % on a workload that stores once in 46 instructions; the page map
// costs nothing measurable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace machine {

inline constexpr unsigned kCodeLineShift = 6;
inline constexpr uint32_t kCodeLineCount = 0x1000000 >> kCodeLineShift;
inline constexpr unsigned kCodePageShift = 12;
inline constexpr uint32_t kCodePageCount = 0x1000000 >> kCodePageShift;

// Nonzero for every line holding translated code, and for the line below a
// translation's first byte when a 4-byte write starting there could reach
// it: a write of up to four bytes needs only the line of its first byte
// looked up. code_pages is nonzero for every page with a marked line.
// Written by the tier alone.
extern uint8_t code_lines[kCodeLineCount];
extern uint8_t code_pages[kCodePageCount];

// Called with the first address (24 bits) and the size of a write that
// touches a marked line: the CPU's writes just before they are made, host
// copies once they are done.
using CodeWriteHook = void (*)(uint32_t address, uint32_t size);
void register_code_write_hook(CodeWriteHook hook);
void code_line_written(uint32_t address, uint32_t size);

// A write of 1 to 4 bytes at a 24-bit address.
inline void note_write(uint32_t address, uint32_t size) {
  if (code_pages[address >> kCodePageShift]) [[unlikely]]
    if (code_lines[address >> kCodeLineShift]) code_line_written(address, size);
}

// A host write of n bytes from a 24-bit address on, wrapping past the top.
void note_range_write(uint32_t address, size_t n);

}  // namespace machine
