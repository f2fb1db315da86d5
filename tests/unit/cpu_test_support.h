// Helpers for CPU tests: a fresh machine, code placed in memory, one
// instruction at a time, and the condition codes as a CCR value.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"

namespace cputest {

inline constexpr uint32_t kCodeAddress = 0x1000;
inline constexpr uint32_t kSupervisorStack = 0x8000;
inline constexpr uint32_t kUserStack = 0x7000;

// CCR bits.
inline constexpr uint32_t X = 0x10, N = 0x08, Z = 0x04, V = 0x02, C = 0x01;

// Zeroed memory and CPU, tables built, the given model selected, supervisor
// mode with mask 7, SSP and USP set.
inline void reset_machine(unsigned type = m68k::kM68000) {
  machine::clear_memory();
  m68k::cpu = m68k::CpuState{};
  m68k::init();
  m68k::set_cpu_type(type);
  machine::quit_flag = 0;
  m68k::set_register(m68k::kSR, 0x2700);
  m68k::areg(7) = kSupervisorStack;
  m68k::cpu.sp_slot[0] = kUserStack;
}

// Writes the words at `at` (default the code address) and points PC there.
inline void load_code(std::initializer_list<uint16_t> words, uint32_t at = kCodeAddress) {
  uint32_t a = at;
  for (uint16_t w : words) {
    machine::poke16(a, w);
    a += 2;
  }
  m68k::cpu.pc = at;
}

// Runs exactly one instruction as the execute loop does and returns the
// extra units its handler charged to the cycle budget (beyond the loop's own
// unit per instruction).
inline int32_t step() {
  constexpr int32_t kBudget = 1000;
  m68k::cpu.instr_addr = m68k::cpu.pc;
  m68k::cpu.pc += 2;
  m68k::cpu.ir = machine::peek16(m68k::cpu.instr_addr);
  m68k::cycle_budget = kBudget;
  m68k::instruction_jump_table[m68k::cpu.ir]();
  return kBudget - m68k::cycle_budget;
}

inline uint32_t ccr() {
  return m68k::sr_build() & 0x1F;
}
inline void set_ccr(uint32_t v) {
  m68k::ccr_write(v);
}

}  // namespace cputest
