#include "cpu/decode_table.h"

#include <cstdio>
#include <cstdlib>

#include "cpu/cpu_state.h"
#include "cpu/exceptions.h"

namespace m68k {

Handler instruction_jump_table[0x10000];
uint8_t cycle_tables[3][0x10000];

namespace {

// Mask groups in table order; group 0 holds the generic masks.
constexpr uint32_t kGroupMasks[] = {0, 0xFF00, 0xF1F8, 0xFFF0, 0xF1FF, 0xFFF8, 0xFFFF};
constexpr unsigned kGroupCount = sizeof kGroupMasks / sizeof kGroupMasks[0];
constexpr unsigned kMaxRowsPerGroup = 1024;

OpcodeRow staged[kGroupCount][kMaxRowsPerGroup];
unsigned staged_count[kGroupCount];

OpcodeRow rows[kGroupCount * kMaxRowsPerGroup + 1];
unsigned row_count;

const char* families[0x10000];

unsigned group_of(uint32_t mask) {
  for (unsigned g = 1; g < kGroupCount; ++g)
    if (kGroupMasks[g] == mask) return g;
  return 0;
}

void install(const OpcodeRow& row, uint32_t opcode, unsigned extra_68000 = 0) {
  instruction_jump_table[opcode] = row.handler;
  cycle_tables[kCycles68000][opcode] = static_cast<uint8_t>(row.cycles_68000 + extra_68000);
  cycle_tables[kCycles68010][opcode] = static_cast<uint8_t>(row.cycles_68010 + extra_68000);
  cycle_tables[kCycles68020][opcode] = row.cycles_68020;
  families[opcode] = row.family;
}

void collect_rows() {
  for (unsigned& n : staged_count) n = 0;
  add_exception_rows();
  add_move_rows();
  add_arith_rows();
  add_logic_rows();
  add_flow_rows();
  add_shift_rows();
  add_bit_rows();
  add_muldiv_rows();
  add_bcd_rows();
  add_later_model_rows();
  row_count = 0;
  for (unsigned g = 0; g < kGroupCount; ++g)
    for (unsigned i = 0; i < staged_count[g]; ++i) rows[row_count++] = staged[g][i];
  rows[row_count] = OpcodeRow{nullptr, 0, 0, 0, 0, 0, nullptr};
}

}  // namespace

void add_row(Handler handler, uint32_t mask, uint32_t match, const char* family, uint8_t c68000,
             uint8_t c68010, uint8_t c68020) {
  unsigned g = group_of(mask);
  if (staged_count[g] == kMaxRowsPerGroup) {
    std::fprintf(stderr, "decode table: too many rows with mask %04x\n", mask);
    std::abort();
  }
  staged[g][staged_count[g]++] = OpcodeRow{handler, mask, match, c68000, c68010, c68020, family};
}

const OpcodeRow* opcode_rows() {
  return rows;
}
unsigned opcode_row_count() {
  return row_count;
}
const char* opcode_family(uint16_t opcode) {
  return families[opcode];
}

void build_decode_tables() {
  collect_rows();

  // 1-2: every opcode starts as ILLEGAL with no cycles.
  const OpcodeRow illegal{&op_illegal, 0, 0, 0, 0, 0, "illegal"};
  for (uint32_t op = 0; op < 0x10000; ++op) install(illegal, op);

  const OpcodeRow* row = rows;
  auto in_group = [&row](uint32_t mask) { return row->handler != nullptr && row->mask == mask; };

  // 3: generic rows scan the whole opcode space.
  for (; row->handler != nullptr && group_of(row->mask) == 0; ++row)
    for (uint32_t op = 0; op < 0x10000; ++op)
      if ((op & row->mask) == row->match) install(*row, op);
  // 4: free low byte.
  for (; in_group(0xFF00); ++row)
    for (uint32_t i = 0; i < 256; ++i) install(*row, row->match | i);
  // 5: free register fields; immediate-count register shifts cost 2 per bit
  // of count on the 68000 and 68010.
  for (; in_group(0xF1F8); ++row)
    for (uint32_t r = 0; r < 8; ++r) {
      uint32_t base = row->match | (r << 9);
      unsigned extra = 0;
      if ((base & 0xF020) == 0xE000) extra = 2 * (((r - 1) & 7) + 1);
      for (uint32_t j = 0; j < 8; ++j) install(*row, base | j, extra);
    }
  // 6: free low nibble.
  for (; in_group(0xFFF0); ++row)
    for (uint32_t j = 0; j < 16; ++j) install(*row, row->match | j);
  // 7: free bits 9-11.
  for (; in_group(0xF1FF); ++row)
    for (uint32_t r = 0; r < 8; ++r) install(*row, row->match | (r << 9));
  // 8: free low three bits.
  for (; in_group(0xFFF8); ++row)
    for (uint32_t j = 0; j < 8; ++j) install(*row, row->match | j);
  // 9: single opcodes.
  for (; in_group(0xFFFF); ++row) install(*row, row->match);
}

}  // namespace m68k
