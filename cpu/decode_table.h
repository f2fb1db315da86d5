// Instruction decode: the 65536-entry InstructionJumpTable and the three
// CycleTables, expanded from the OpcodeHandlerTable rows that each
// instruction family contributes. The expansion runs at compile time: the
// tables are constant data and start-up builds nothing.
#pragma once

#include <cstdint>

namespace m68k {

// A handler performs one instruction (one operation, size and
// addressing-mode class) on the CpuState, reading register numbers from IR.
using Handler = void (*)();

struct OpcodeRow {
  Handler handler;
  uint32_t mask;
  uint32_t match;
  uint8_t cycles_68000;
  uint8_t cycles_68010;
  uint8_t cycles_68020;
  // Family the row decodes to, named as the 68000 opcode map names its
  // buckets ("ADD.b", "MOVEtoSR", "Bcc", ...), or "illegal"/"lineA"/"lineF"
  // for rows that only raise an exception. Used by tests and tools only.
  const char* family;
};

inline constexpr unsigned kMaxRows = 2500;

// The rows of the table build. As a row sink (the family row generators
// call it as add_row(...)) it appends in call order; the build then groups
// the rows by mask, keeping their order within a group, so a row meant to
// override part of another is added later.
struct RowSink {
  OpcodeRow rows[kMaxRows + 1]{};
  unsigned count = 0;

  constexpr void operator()(Handler handler, uint32_t mask, uint32_t match, const char* family,
                            uint8_t c68000 = 0, uint8_t c68010 = 0, uint8_t c68020 = 0) {
    if (count == kMaxRows) throw "decode table: too many rows";
    if ((match & ~mask) != 0) throw "decode table: row matches bits outside its mask";
    rows[count++] = OpcodeRow{handler, mask, match, c68000, c68010, c68020, family};
  }
};

inline constexpr uint16_t kNoRow = 0xFFFF;

struct DecodeTables {
  Handler handlers[0x10000];
  uint8_t cycles[3][0x10000];
  // Index into opcode_rows() of the row installed last at each opcode, or
  // kNoRow; for tests and tools.
  uint16_t row_of[0x10000];
};

extern const DecodeTables decode_tables;

inline constexpr const Handler (&instruction_jump_table)[0x10000] = decode_tables.handlers;
inline constexpr const uint8_t (&cycle_tables)[3][0x10000] = decode_tables.cycles;

// The row list in build order (grouped by mask, terminated by a row with a
// null handler).
const OpcodeRow* opcode_rows();
unsigned opcode_row_count();
// Family of the row installed last at each opcode, for tests and tools.
const char* opcode_family(uint16_t opcode);

}  // namespace m68k
