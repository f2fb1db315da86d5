// Writes into guest memory that holds translated code. The translation tier
// marks the 64-byte lines its translations were made from; every write to
// guest RAM (the CPU's through the MemoryBus, host code's through the
// helpers of emu_memory.h) looks up its line and, when the line is marked,
// tells the tier, which drops the translations of the bytes written before
// they run again. Nothing is marked while no translation exists, and then the
// whole cost is one byte load and a branch that is never taken.
#pragma once

#include <cstddef>
#include <cstdint>

namespace machine {

inline constexpr unsigned kCodeLineShift = 6;
inline constexpr uint32_t kCodeLineCount = 0x1000000 >> kCodeLineShift;

// Nonzero for every line holding translated code, and for the line below a
// translation's first byte when a 4-byte write starting there could reach
// it: a write of up to four bytes needs only the line of its first byte
// looked up. Written by the tier alone.
extern uint8_t code_lines[kCodeLineCount];

// Called with the first address (24 bits) and the size of a write that
// touches a marked line: the CPU's writes just before they are made, host
// copies once they are done.
using CodeWriteHook = void (*)(uint32_t address, uint32_t size);
void register_code_write_hook(CodeWriteHook hook);
void code_line_written(uint32_t address, uint32_t size);

// A write of 1 to 4 bytes at a 24-bit address.
inline void note_write(uint32_t address, uint32_t size) {
  if (code_lines[address >> kCodeLineShift]) [[unlikely]]
    code_line_written(address, size);
}

// A host write of n bytes from a 24-bit address on, wrapping past the top.
void note_range_write(uint32_t address, size_t n);

}  // namespace machine
