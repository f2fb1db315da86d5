// Checks a loaded program file's header and relocation table before the ROM
// starts it. The ROM trusts the header completely: a garbage length sends
// its relocation and BSS clearing across the ROM itself, so a file that
// cannot be a program is refused at start-up with a message instead.
#pragma once

#include <cstdint>

namespace runner {

enum class ProgramFault : uint8_t {
  kNone,
  kNotAProgram,    // shorter than the header, or no 0x601A branch word
  kTruncated,      // text, data and symbols reach past the file's end
  kTooBig,         // text, data and BSS reach past the free memory
  kBadRelocation,  // a fix-up outside text and data
};

struct ProgramCheck {
  ProgramFault fault = ProgramFault::kNone;
  uint64_t needed = 0;  // kTruncated, kTooBig: the bytes the header asks for
  uint64_t limit = 0;   // the bytes there are
};

// Checks the `file_size` bytes loaded raw at `load_address`: header, segment
// lengths against the file and the memory below `memory_top`, and every
// relocation fix-up (skipped for an absolute program or an empty table). A
// table the file ends inside stops at the file's end, as the ROM reads zeros
// there.
ProgramCheck check_program(uint32_t load_address, uint32_t file_size, uint32_t memory_top);

}  // namespace runner
