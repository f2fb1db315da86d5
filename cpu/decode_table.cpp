// The decode tables, expanded at compile time from the rows of every
// instruction family. The families' handlers and rows are defined in
// cpu/ops/, pieces of this file in headers of their own (each opens an
// anonymous namespace and is included only here), so that the handlers'
// addresses are constants of this expansion.
//
// Beside its rows each family writes the bit patterns of the opcodes they
// decode, so an opcode is found by grep (`grep -rn '0100 1110 0111' cpu/ops`):
//   0 1        fixed bits             .          bits of no meaning there
//   eee eee    effective address in bits 5-0, mode then register
//   rrr        a register; xxx (bits 11-9) and yyy (bits 2-0) the two
//              registers of the forms that name two
//   ss         size: 00 byte, 01 word, 10 long
//   z          size: 0 word, 1 long
//   qqq        quick value or shift count, 0 standing for 8
//   cccc       condition              dddd dddd  displacement or data
//   vvvv       vector
#include "cpu/decode_table.h"

#include "cpu/cpu_state.h"
#include "cpu/exceptions.h"
#include "cpu/ops/arith.h"
#include "cpu/ops/bcd.h"
#include "cpu/ops/bit.h"
#include "cpu/ops/exception.h"
#include "cpu/ops/flow.h"
#include "cpu/ops/later_models.h"
#include "cpu/ops/logic.h"
#include "cpu/ops/move.h"
#include "cpu/ops/muldiv.h"
#include "cpu/ops/shift.h"

namespace m68k {

namespace {

// Mask groups in table order; group 0 holds the generic masks.
constexpr uint32_t kGroupMasks[] = {0, 0xFF00, 0xF1F8, 0xFFF0, 0xF1FF, 0xFFF8, 0xFFFF};
constexpr unsigned kGroupCount = sizeof kGroupMasks / sizeof kGroupMasks[0];

constexpr unsigned group_of(uint32_t mask) {
  for (unsigned g = 1; g < kGroupCount; ++g)
    if (kGroupMasks[g] == mask) return g;
  return 0;
}

// Every family's rows, in the order the families are listed here, then
// grouped by mask.
constexpr RowSink collect_rows() {
  RowSink added;
  exception_ops::add_exception_rows(added);
  move_ops::add_move_rows(added);
  arith_ops::add_arith_rows(added);
  logic_ops::add_logic_rows(added);
  flow_ops::add_flow_rows(added);
  shift_ops::add_shift_rows(added);
  bit_ops::add_bit_rows(added);
  muldiv_ops::add_muldiv_rows(added);
  bcd_ops::add_bcd_rows(added);
  later_model_ops::add_later_model_rows(added);
  RowSink grouped;
  for (unsigned g = 0; g < kGroupCount; ++g)
    for (unsigned i = 0; i < added.count; ++i)
      if (group_of(added.rows[i].mask) == g) grouped.rows[grouped.count++] = added.rows[i];
  return grouped;
}

constexpr RowSink kRows = collect_rows();

// Immediate-count register shifts cost 2 per bit of count on the 68000 and
// 68010: the count field in bits 9-11, where 0 means 8.
constexpr unsigned shift_count_cycles(uint32_t opcode) {
  if ((opcode & 0xF020) != 0xE000) return 0;
  return 2 * count_field_value((opcode >> 9) & 7);
}

// Every opcode starts as ILLEGAL with no cycles; then each row, in group
// order, is installed at every opcode it matches, so later rows override.
constexpr DecodeTables expand(const RowSink& list) {
  DecodeTables t{};
  for (uint32_t op = 0; op < 0x10000; ++op) {
    t.handlers[op] = &op_illegal;
    t.row_of[op] = kNoRow;
  }
  for (unsigned i = 0; i < list.count; ++i) {
    const OpcodeRow& row = list.rows[i];
    const uint32_t free = ~row.mask & 0xFFFF;
    // Every subset of the free bits, from none to all.
    for (uint32_t bits = 0;; bits = (bits - free) & free) {
      const uint32_t op = row.match | bits;
      const unsigned extra = row.mask == 0xF1F8 ? shift_count_cycles(op) : 0;
      t.handlers[op] = row.handler;
      t.cycles[kCycles68000][op] = static_cast<uint8_t>(row.cycles_68000 + extra);
      t.cycles[kCycles68010][op] = static_cast<uint8_t>(row.cycles_68010 + extra);
      t.cycles[kCycles68020][op] = row.cycles_68020;
      t.row_of[op] = static_cast<uint16_t>(i);
      if (bits == free) break;
    }
  }
  return t;
}

}  // namespace

extern constexpr DecodeTables decode_tables = expand(kRows);

const OpcodeRow* opcode_rows() {
  return kRows.rows;
}
unsigned opcode_row_count() {
  return kRows.count;
}
const char* opcode_family(uint16_t opcode) {
  const uint16_t row = decode_tables.row_of[opcode];
  return row == kNoRow ? "illegal" : kRows.rows[row].family;
}

}  // namespace m68k
