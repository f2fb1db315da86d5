// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// Program control: Bcc, BRA, BSR, DBcc, Scc, JMP, JSR, RTS, RTR, NOP.
//
// Every condition gets its own handler per form, so no handler looks at the
// condition field at run time. Condition 0 in the branch slot is BRA and
// condition 1 is BSR; both have handlers of their own.
#pragma once

#include <cstddef>
#include <iterator>
#include <utility>

#include "cpu/conditions.h"
#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::flow_ops {

namespace {

inline uint32_t displacement8() {
  return static_cast<uint32_t>(static_cast<int8_t>(cpu.ir));
}

// PC := address of the displacement word + the sign-extended displacement.
inline void branch_word() {
  uint32_t base = cpu.pc;
  cpu.pc = base + static_cast<uint32_t>(static_cast<int16_t>(fetch16()));
}

// A program spinning in BRA-to-self or JMP-to-self is waiting for something
// that will not happen in this timeslice: cut the budget down to less than
// one pass of the opcode's cycle-table cost so execute returns almost at
// once. The loop keeps running unchanged on the next call.
inline void idle_branch_shortcut() {
  if (cpu.pc != cpu.instr_addr) return;
  const int32_t c = cycle_tables[cpu.cycle_table][cpu.ir];
  if (c != 0) cycle_budget %= c;
}

// Bcc.S and BRA.S: displacement 0x01 to 0xFE in the opcode.
template <unsigned CC>
void op_branch_byte() {
  if (condition_holds<CC>()) {
    cpu.pc += displacement8();
    if constexpr (CC == 0) idle_branch_shortcut();
  } else {
    charge();
  }
}

// Bcc.W and BRA.W: displacement in the word after the opcode.
template <unsigned CC>
void op_branch_word() {
  if (condition_holds<CC>()) {
    branch_word();
    if constexpr (CC == 0) idle_branch_shortcut();
  } else {
    cpu.pc += 2;
    charge();
  }
}

void op_bsr_byte() {
  push32(cpu.pc);
  cpu.pc += displacement8();
}

void op_bsr_word() {
  uint32_t base = cpu.pc;
  uint32_t disp = static_cast<uint32_t>(static_cast<int16_t>(fetch16()));
  push32(cpu.pc);
  cpu.pc = base + disp;
}

// DBcc Dn,<disp>: only the low word of Dn counts down; -1 ends the loop.
template <unsigned CC>
void op_dbcc() {
  if (condition_holds<CC>()) {
    cpu.pc += 2;
    return;
  }
  uint32_t& d = dreg(ir_low_reg());
  const uint32_t low = (d - 1) & 0xFFFF;
  d = (d & 0xFFFF0000) | low;
  charge();
  if (low != 0xFFFF)
    branch_word();
  else
    cpu.pc += 2;
}

// Scc <ea>: writes 0xFF or 0x00 without reading the destination first. Only
// the register form pays for a true condition, and ST (always true) does not.
template <unsigned CC, Ea M>
void op_scc() {
  const bool holds = condition_holds<CC>();
  Operand<Size::Byte, M> dst;
  dst.evaluate();
  dst.write(holds ? 0xFF : 0x00);
  if constexpr (M == Ea::Dn && CC != 0)
    if (holds) charge();
}

template <Ea M>
void op_jmp() {
  cpu.pc = effective_address<M>();
  idle_branch_shortcut();
}

// The target is evaluated before the push, so JSR (A7) jumps to the old A7
// and PC already points past any extension words when it is stacked.
template <Ea M>
void op_jsr() {
  const uint32_t target = effective_address<M>();
  push32(cpu.pc);
  cpu.pc = target;
}

void op_rts() {
  cpu.pc = pop32();
}

// Only the condition codes come back; the system byte of the popped word is
// dropped, so RTR needs no privilege.
void op_rtr() {
  ccr_write(pop16());
  cpu.pc = pop32();
}

void op_nop() {}

// --- Decode rows ------------------------------------------------------------

struct Cycles {
  uint8_t c68000, c68010, c68020;
};

// Costs of the control modes, in ControlModes order. Only the JMP costs are
// read (by the idle-branch shortcut); the JSR costs are for completeness.
constexpr Ea kControl[] = {Ea::Ind,  Ea::Disp,   Ea::Index,  Ea::AbsW,
                           Ea::AbsL, Ea::PcDisp, Ea::PcIndex};
constexpr Cycles kJmpCycles[] = {{8, 8, 4},   {10, 10, 5}, {14, 14, 7}, {10, 10, 4},
                                 {12, 12, 4}, {10, 10, 5}, {14, 14, 7}};
constexpr Cycles kJsrCycles[] = {{16, 16, 4}, {18, 18, 5}, {22, 22, 7}, {18, 18, 4},
                                 {20, 20, 4}, {18, 18, 5}, {22, 22, 7}};

template <std::size_t... I>
constexpr void add_jump_rows(RowSink& add_row, std::index_sequence<I...>) {
  auto add = [&](Handler h, uint32_t base, Ea m, const Cycles& c, const char* family) {
    add_row(h, ea_row_mask(m, false), base | ea_bits(m), family, c.c68000, c.c68010, c.c68020);
  };
  (add(&op_jmp<kControl[I]>, 0x4EC0, kControl[I], kJmpCycles[I], "JMP"), ...);
  (add(&op_jsr<kControl[I]>, 0x4E80, kControl[I], kJsrCycles[I], "JSR"), ...);
}

template <unsigned CC>
constexpr void add_condition_rows(RowSink& add_row) {
  const uint32_t cc = CC << 8;
  // 0110 cccc dddd dddd  Bcc <label>  (displacement 0000 0000: a word follows)
  // 0110 0000 dddd dddd  BRA <label>
  // 0110 0001 dddd dddd  BSR <label>
  // 0101 cccc 1100 1rrr  DBcc Dn,<label>
  // 0101 cccc 11 eee eee  Scc <ea>
  // Branch slot: 0 is BRA, 1 is BSR. A byte displacement of 0x00 selects the
  // word form; 0xFF belongs to the long form of later models, whose rows
  // replace those slots.
  if constexpr (CC == 0) {
    add_row(&op_branch_byte<0>, 0xFF00, 0x6000, "Bcc", 10, 10, 10);
    add_row(&op_branch_word<0>, 0xFFFF, 0x6000, "Bcc", 10, 10, 10);
  } else if constexpr (CC == 1) {
    add_row(&op_bsr_byte, 0xFF00, 0x6100, "BSR", 18, 18, 7);
    add_row(&op_bsr_word, 0xFFFF, 0x6100, "BSR", 18, 18, 7);
  } else {
    add_row(&op_branch_byte<CC>, 0xFF00, 0x6000 | cc, "Bcc", 10, 10, 6);
    add_row(&op_branch_word<CC>, 0xFFFF, 0x6000 | cc, "Bcc", 10, 10, 6);
  }
  add_row(&op_dbcc<CC>, 0xFFF8, 0x50C8 | cc, "DBcc", 10, 10, 6);
  add_ea_rows<Size::Byte, false>(add_row, DataAlterable{}, 0x50C0 | cc, "Scc",
                                 []<Ea M>() -> Handler { return &op_scc<CC, M>; });
}

template <std::size_t... CC>
constexpr void add_all_condition_rows(RowSink& add_row, std::index_sequence<CC...>) {
  (add_condition_rows<CC>(add_row), ...);
}

}  // namespace

constexpr void add_flow_rows(RowSink& add_row) {
  add_all_condition_rows(add_row, std::make_index_sequence<16>{});
  // 0100 1110 11 eee eee  JMP <ea>
  // 0100 1110 10 eee eee  JSR <ea>
  add_jump_rows(add_row, std::make_index_sequence<std::size(kControl)>{});
  // 0100 1110 0111 0101  RTS
  // 0100 1110 0111 0111  RTR
  // 0100 1110 0111 0001  NOP
  add_row(&op_rts, 0xFFFF, 0x4E75, "RTS", 16, 16, 10);
  add_row(&op_rtr, 0xFFFF, 0x4E77, "RTR", 20, 20, 14);
  add_row(&op_nop, 0xFFFF, 0x4E71, "NOP", 4, 4, 2);
}

}  // namespace m68k::flow_ops
