// One instruction exactly as the body of m68k::execute's loop runs it: the
// tier's interpreter runs, its bails and the lockstep check all go through
// here, so there is one copy of that rule outside the interpreter itself.
#pragma once

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu/flags.h"
#include "machine/memory_bus.h"

namespace translator {

inline void interpreter_step() {
  using m68k::cpu;
  const uint32_t pc = cpu.pc;
  m68k::store_word(cpu.instr_addr, pc);
  m68k::store_word(cpu.pc, pc + 2);
  cpu.ir = machine::Read16(pc & cpu.address_mask) & 0xFFFF;
  m68k::instruction_jump_table[cpu.ir]();
  m68k::charge();
}

}  // namespace translator
