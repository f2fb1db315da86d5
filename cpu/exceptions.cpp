// Exception processing: the entry sequence and its frame on each model,
// interrupt acceptance, the privilege check, and the handlers of ILLEGAL and
// of lines A and F, which the rows of several families lead to. The other
// instructions that raise or leave exceptions (TRAP, TRAPV, CHK, RTE, STOP,
// RESET) are a family of their own, in ops/exception.h.
#include "cpu/exceptions.h"

#include "cpu/cpu_state.h"
#include "cpu/operand.h"

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

}  // namespace m68k
