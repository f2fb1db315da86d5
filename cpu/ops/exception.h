// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// The instructions that raise or leave exceptions (TRAP, TRAPV, CHK, RTE,
// STOP, RESET) and the rows of lines A and F; ILLEGAL and the line handlers
// themselves live with exception processing in exceptions.cpp.
#pragma once

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu/exceptions.h"
#include "cpu/flags.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::exception_ops {

namespace {

void op_trap() {
  exception_entry(kVectorTrap0 + (cpu.ir & 0xF), cpu.pc);
}

void op_trapv() {
  if (cpu.flag_v & 0x80) exception_entry(kVectorTrapv, cpu.pc);
}

// CHK.W <ea>,Dn: Z from Dn.W, N only when trapping.
template <Ea M>
void op_chk() {
  Operand<Size::Word, M> src;
  int32_t bound = static_cast<int16_t>(src.evaluate_and_read());
  uint32_t low = dreg(ir_high_reg()) & 0xFFFF;
  int32_t value = static_cast<int16_t>(low);
  set_v(0);
  set_c(0);
  set_z(low);
  if (value < 0 || value > bound) {
    set_n(value < 0 ? 0x80 : 0);
    exception_entry(kVectorChk, cpu.pc);
  }
}

void op_rte() {
  if (!supervisor_or_trap()) return;
  uint32_t new_sr = pop16();
  cpu.pc = pop32();
  if (cpu.type_code != 1) areg(7) += 2;  // format word, not examined
  sr_write(new_sr);
}

void op_stop() {
  if (!supervisor_or_trap()) return;
  uint32_t imm = fetch16();
  cpu.stopped |= 1;
  sr_write(imm);
  int32_t c = cycle_tables[cpu.cycle_table][cpu.ir];
  if (c > cycle_budget)
    cycle_budget %= c;
  else
    cycle_budget = c;
}

void op_reset() {
  if (!supervisor_or_trap()) return;
  charge();
}

}  // namespace

constexpr void add_exception_rows(RowSink& add_row) {
  // Generic rows: the whole of lines A and F. Coprocessor rows that refine
  // line F come with the later-model family.
  // 1010 .... .... ....  line A
  // 1111 .... .... ....  line F
  add_row(&op_line_a, 0xF000, 0xA000, "lineA", 4, 4, 4);
  add_row(&op_line_f, 0xF000, 0xF000, "lineF", 4, 4, 4);

  // 0100 1110 0100 vvvv  TRAP #<vector>
  // 0100 1010 1111 1100  ILLEGAL
  // 0100 1110 0111 0110  TRAPV
  // 0100 1110 0111 0011  RTE
  // 0100 1110 0111 0010  STOP #<data>
  // 0100 1110 0111 0000  RESET
  add_row(&op_trap, 0xFFF0, 0x4E40, "TRAP", 34, 38, 20);
  add_row(&op_illegal, 0xFFFF, 0x4AFC, "illegal", 34, 38, 20);
  add_row(&op_trapv, 0xFFFF, 0x4E76, "TRAPV", 4, 4, 4);
  add_row(&op_rte, 0xFFFF, 0x4E73, "RTE", 20, 24, 20);
  add_row(&op_stop, 0xFFFF, 0x4E72, "STOP", 4, 4, 8);
  add_row(&op_reset, 0xFFFF, 0x4E70, "RESET", 132, 130, 255);

  // 0100 rrr1 10 eee eee  CHK.W <ea>,Dn
  add_ea_rows<Size::Word, true>(add_row, DataModes{}, 0x4180, "CHK",
                                []<Ea M>() -> Handler { return &op_chk<M>; });
}

}  // namespace m68k::exception_ops
