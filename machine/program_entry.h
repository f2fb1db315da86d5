// The state a program starts in, the first program and every child alike.
// The ROM's reset routine leaves the first program so (start_program in
// machine/os_rom.s); a child's start (oscalls/process) is made from this
// description, so the two cannot drift apart unnoticed.
//
// At the program's first instruction: PC at its text, user mode with
// interrupt mask 7 (kEntrySr), the user stack 8 bytes below the end of the
// program's memory holding a zero long and then the basepage's address at
// 4(A7), and the address registers as kEntryAddressRegisters says. The data
// registers and A4/A5 hold what the reset routine left in them for the
// first program, 0 for a child.
#pragma once

#include <cstdint>

#include "machine/basepage.h"
#include "machine/emu_memory.h"
#include "machine/os_rom_symbols.h"

namespace machine {

// What an address register holds at entry.
enum class EntryValue : uint8_t { kZero, kBasepage, kText, kEnvironment, kUserStack };

// A0 to A6, in order; A7 is the user stack.
inline constexpr EntryValue kEntryAddressRegisters[7] = {
    EntryValue::kZero,         // A0
    EntryValue::kBasepage,     // A1
    EntryValue::kText,         // A2
    EntryValue::kEnvironment,  // A3
    EntryValue::kZero,         // A4
    EntryValue::kZero,         // A5
    EntryValue::kUserStack,    // A6
};

// The user stack at entry, below the end of the program's memory: the zero
// long at 0(A7), the basepage's address at 4(A7).
inline constexpr uint32_t kEntryStackSize = 8;
inline constexpr uint32_t kEntryStackBasepage = 4;

struct ProgramEntry {
  uint32_t basepage, text, environment, user_stack;

  uint32_t value(EntryValue v) const {
    switch (v) {
      case EntryValue::kBasepage:
        return basepage;
      case EntryValue::kText:
        return text;
      case EntryValue::kEnvironment:
        return environment;
      case EntryValue::kUserStack:
        return user_stack;
      case EntryValue::kZero:
        break;
    }
    return 0;
  }
};

// The entry of the program whose basepage is at `basepage`, from the
// basepage's fields (its memory end taken even, as a stack must be).
inline ProgramEntry program_entry(uint32_t basepage) {
  return ProgramEntry{basepage, peek32(basepage + kBasepageText),
                      peek32(basepage + kBasepageEnvironment),
                      (peek32(basepage + kBasepageMemoryEnd) & ~1u) - kEntryStackSize};
}

// The two longs of the entry stack.
inline void write_entry_stack(const ProgramEntry& entry) {
  poke32(entry.user_stack, 0);
  poke32(entry.user_stack + kEntryStackBasepage, entry.basepage);
}

}  // namespace machine
