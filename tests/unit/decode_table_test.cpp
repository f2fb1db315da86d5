// Table build: row grouping, mask-group expansion, overrides and the
// shift-count cycle rule.
#include "cpu/decode_table.h"

#include <gtest/gtest.h>

#include "cpu/cpu_state.h"
#include "cpu/exceptions.h"

using namespace m68k;

namespace {

TEST(DecodeTable, RowsAreGroupedByMaskInTableOrder) {
  init();
  const uint32_t order[] = {0xFF00, 0xF1F8, 0xFFF0, 0xF1FF, 0xFFF8, 0xFFFF};
  const OpcodeRow* rows = opcode_rows();
  unsigned i = 0;
  while (rows[i].handler && rows[i].mask != 0xFF00 && rows[i].mask != 0xF1F8 &&
         rows[i].mask != 0xFFF0 && rows[i].mask != 0xF1FF && rows[i].mask != 0xFFF8 &&
         rows[i].mask != 0xFFFF)
    ++i;
  unsigned group = 0;
  for (; rows[i].handler; ++i) {
    while (group < 6 && rows[i].mask != order[group]) ++group;
    ASSERT_LT(group, 6u) << "row " << i << " out of group order";
  }
  EXPECT_EQ(i, opcode_row_count());
  EXPECT_EQ(rows[i].mask, 0u);
}

TEST(DecodeTable, EveryRowIsInstalledForEachOpcodeItCovers) {
  init();
  // Later rows may override earlier ones; the last row covering an opcode
  // must be the one installed.
  static const OpcodeRow* owner[0x10000];
  for (auto& o : owner) o = nullptr;
  const OpcodeRow* rows = opcode_rows();
  for (unsigned i = 0; i < opcode_row_count(); ++i)
    for (uint32_t op = 0; op < 0x10000; ++op)
      if ((op & rows[i].mask) == rows[i].match) owner[op] = &rows[i];
  for (uint32_t op = 0; op < 0x10000; ++op) {
    Handler want = owner[op] ? owner[op]->handler : &op_illegal;
    ASSERT_EQ(instruction_jump_table[op], want) << std::hex << op;
  }
}

TEST(DecodeTable, CyclesAndFamilyComeFromTheInstalledRow) {
  static const OpcodeRow* owner[0x10000];
  for (auto& o : owner) o = nullptr;
  const OpcodeRow* rows = opcode_rows();
  for (unsigned i = 0; i < opcode_row_count(); ++i)
    for (uint32_t op = 0; op < 0x10000; ++op)
      if ((op & rows[i].mask) == rows[i].match) owner[op] = &rows[i];
  for (uint32_t op = 0; op < 0x10000; ++op) {
    const OpcodeRow* row = owner[op];
    const uint16_t opcode = static_cast<uint16_t>(op);
    if (!row) {
      ASSERT_STREQ(opcode_family(opcode), "illegal") << std::hex << op;
      ASSERT_EQ(cycle_tables[kCycles68000][op], 0) << std::hex << op;
      continue;
    }
    ASSERT_STREQ(opcode_family(opcode), row->family) << std::hex << op;
    // Register shifts by an immediate count pay 2 per bit of count (1 to 8)
    // on the 68000 and 68010, on top of the row's time.
    const bool immediate_shift = row->mask == 0xF1F8 && (op & 0xF020) == 0xE000;
    const unsigned count = ((op >> 9) & 7) == 0 ? 8 : (op >> 9) & 7;
    const unsigned extra = immediate_shift ? 2 * count : 0;
    ASSERT_EQ(cycle_tables[kCycles68000][op], row->cycles_68000 + extra) << std::hex << op;
    ASSERT_EQ(cycle_tables[kCycles68010][op], row->cycles_68010 + extra) << std::hex << op;
    ASSERT_EQ(cycle_tables[kCycles68020][op], row->cycles_68020) << std::hex << op;
  }
}

TEST(DecodeTable, LinesAAndFAndIllegal) {
  init();
  for (uint32_t op = 0xA000; op <= 0xAFFF; ++op)
    ASSERT_EQ(instruction_jump_table[op], &op_line_a) << std::hex << op;
  EXPECT_EQ(instruction_jump_table[0x4AFC], &op_illegal);
  EXPECT_EQ(instruction_jump_table[0x4E7C], &op_illegal);
  EXPECT_EQ(instruction_jump_table[0x0008], &op_illegal);
}

TEST(DecodeTable, CycleTablesOfReadEntries) {
  init();
  EXPECT_EQ(cycle_tables[kCycles68000][0x4E72], 4);
  EXPECT_EQ(cycle_tables[kCycles68010][0x4E72], 4);
  EXPECT_EQ(cycle_tables[kCycles68020][0x4E72], 8);
}

}  // namespace
