// Instruction decode: the 65536-entry InstructionJumpTable and the three
// CycleTables, expanded once from the OpcodeHandlerTable rows that each
// instruction family contributes.
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

extern Handler instruction_jump_table[0x10000];
extern uint8_t cycle_tables[3][0x10000];

// The row list in build order (grouped by mask, terminated by a row with a
// null handler). Valid after init().
const OpcodeRow* opcode_rows();
unsigned opcode_row_count();
// Family of the row installed last at each opcode, for tests and tools.
const char* opcode_family(uint16_t opcode);

void build_decode_tables();

// Row sink used by the family row generators during the build. A row is
// placed in its mask group; within a group rows keep the order in which they
// were added, so a row meant to override part of another is added later.
void add_row(Handler handler, uint32_t mask, uint32_t match, const char* family, uint8_t c68000 = 0,
             uint8_t c68010 = 0, uint8_t c68020 = 0);

// Each instruction family registers its rows here; build_decode_tables calls
// them in this order.
void add_exception_rows();  // exceptions.cpp: ILLEGAL, line A/F, TRAP, TRAPV, CHK, RTE, STOP, RESET
void add_move_rows();       // ops_move.cpp
void add_arith_rows();      // ops_arith.cpp: ADD, SUB, CMP, ADDX, SUBX, NEG, NEGX, CLR
void add_logic_rows();      // ops_logic.cpp: AND, OR, EOR, NOT, TST, TAS, EXT, SWAP, imm to CCR/SR
void add_flow_rows();       // ops_flow.cpp: Bcc, BSR, DBcc, Scc, JMP, JSR, RTS, RTR, NOP
void add_shift_rows();      // ops_shift.cpp
void add_bit_rows();        // ops_bit.cpp
void add_muldiv_rows();     // ops_muldiv.cpp
void add_bcd_rows();        // ops_bcd.cpp
void add_later_model_rows();  // ops_later_models.cpp

}  // namespace m68k
