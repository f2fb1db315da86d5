// Exception processing: the entry sequence and its frame on each model,
// interrupt acceptance, the privilege check, and the instructions that raise
// or leave exceptions (ILLEGAL, line A/F, TRAP, TRAPV, CHK, RTE, STOP, RESET).
#include "cpu/exceptions.h"

#include "cpu/cpu_state.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k {

namespace {

// S set, A7 switched to the supervisor stack of the current M.
void enter_supervisor() {
  cpu.sp_slot[sp_index(cpu.s, cpu.m)] = areg(7);
  cpu.s = 4;
  areg(7) = cpu.sp_slot[sp_index(cpu.s, cpu.m)];
}

void push_frame(uint32_t sr, uint32_t pc, unsigned vector_offset) {
  if (cpu.type_code != 1) push16(vector_offset);
  push32(pc);
  push16(sr);
}

}  // namespace

void exception_entry(unsigned vector, uint32_t stacked_pc) {
  uint32_t sr = sr_build();
  cpu.t1 = 0;
  cpu.t0 = 0;
  enter_supervisor();
  push_frame(sr, stacked_pc, vector * 4);
  cpu.pc = read_bus<Size::Long>(cpu.vbr + 4 * vector);
  charge();
}

void interrupt_entry(unsigned level) {
  uint32_t sr = sr_build();
  cpu.t1 = 0;
  cpu.t0 = 0;
  cpu.int_mask = level << 8;
  enter_supervisor();
  // The vector is read before the frame is written; a zero autovector falls
  // back to the spurious-interrupt vector.
  uint32_t new_pc = read_bus<Size::Long>(cpu.vbr + 0x60 + 4 * level);
  if (new_pc == 0) new_pc = read_bus<Size::Long>(cpu.vbr + 4 * kVectorSpurious);
  push_frame(sr, cpu.pc, 0x60 + 4 * level);
  cpu.pc = new_pc;
  cpu.pending_level = 0;
}

void check_pending_interrupt() {
  if (cpu.pending_level > cpu.int_mask) {
    cpu.stopped &= ~1u;
    if (cpu.stopped == 0) interrupt_entry(cpu.pending_level >> 8);
  }
}

void set_irq_level(unsigned level) {
  uint32_t old = cpu.pending_level;
  cpu.pending_level = level << 8;
  if (level == 7 && old != 0x700) {
    // Level 7 is non-maskable on its rising edge.
    cpu.stopped &= ~1u;
    if (cpu.stopped != 0) return;
    interrupt_entry(7);
    return;
  }
  if (cpu.pending_level <= cpu.int_mask) return;
  cpu.stopped &= ~1u;
  if (cpu.stopped != 0) return;
  interrupt_entry(level);
}

bool supervisor_or_trap() {
  if (cpu.s) return true;
  exception_entry(kVectorPrivilege, cpu.instr_addr);
  return false;
}

void op_illegal() {
  exception_entry(kVectorIllegal, cpu.instr_addr);
}
void op_line_a() {
  exception_entry(kVectorLineA, cpu.instr_addr);
}
void op_line_f() {
  exception_entry(kVectorLineF, cpu.instr_addr);
}

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
  uint32_t low = dreg((cpu.ir >> 9) & 7) & 0xFFFF;
  int32_t value = static_cast<int16_t>(low);
  cpu.flag_v = 0;
  cpu.flag_c = 0;
  cpu.flag_z = low;
  if (value < 0 || value > bound) {
    cpu.flag_n = value < 0 ? 0x80 : 0;
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

void add_exception_rows() {
  // Generic rows: the whole of lines A and F. Coprocessor rows that refine
  // line F come with the later-model family.
  add_row(&op_line_a, 0xF000, 0xA000, "lineA", 4, 4, 4);
  add_row(&op_line_f, 0xF000, 0xF000, "lineF", 4, 4, 4);

  add_row(&op_trap, 0xFFF0, 0x4E40, "TRAP", 34, 38, 20);
  add_row(&op_illegal, 0xFFFF, 0x4AFC, "illegal", 34, 38, 20);
  add_row(&op_trapv, 0xFFFF, 0x4E76, "TRAPV", 4, 4, 4);
  add_row(&op_rte, 0xFFFF, 0x4E73, "RTE", 20, 24, 20);
  add_row(&op_stop, 0xFFFF, 0x4E72, "STOP", 4, 4, 8);
  add_row(&op_reset, 0xFFFF, 0x4E70, "RESET", 132, 130, 255);

  add_ea_rows<Size::Word, true>(DataModes{}, 0x4180, "CHK",
                                []<Ea M>() -> Handler { return &op_chk<M>; });
}

}  // namespace m68k
