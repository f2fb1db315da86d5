// CpuState, SR assembly, CpuReg semantics, model selection, execute and the
// timeslice.
#include <gtest/gtest.h>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "machine/emu_memory.h"

using namespace m68k;

namespace {

constexpr uint16_t kTrapvOpcode = 0x4E76;  // does nothing while V is clear

void fresh_cpu(unsigned type = kM68000) {
  machine::clear_memory();
  cpu = CpuState{};
  init();
  set_cpu_type(type);
}

// Fills memory from `at` with copies of one opcode.
void fill_words(uint32_t at, uint16_t word, unsigned count) {
  for (unsigned i = 0; i < count; ++i) machine::poke16(at + 2 * i, word);
}

TEST(CpuRegisters, UspAndIspFollowTheMode) {
  fresh_cpu();
  cpu.s = 4;
  cpu.dar[15] = 0x1000;
  cpu.sp_slot[0] = 0x2000;
  EXPECT_EQ(get_register(nullptr, kUSP), 0x2000u);
  EXPECT_EQ(get_register(nullptr, kISP), 0x1000u);
  set_register(kUSP, 0x2222);
  EXPECT_EQ(cpu.sp_slot[0], 0x2222u);
  cpu.s = 0;
  EXPECT_EQ(get_register(nullptr, kUSP), 0x1000u);
  cpu.sp_slot[4] = 0x3000;
  EXPECT_EQ(get_register(nullptr, kISP), 0x3000u);
  set_register(kISP, 0x3333);
  EXPECT_EQ(cpu.sp_slot[4], 0x3333u);
  EXPECT_EQ(cpu.dar[15], 0x1000u);
}

TEST(CpuRegisters, HostSrStoreKeepsA7) {
  fresh_cpu();
  set_register(kSR, 0x2700);
  cpu.dar[15] = 0x5000;
  cpu.sp_slot[0] = 0x6000;
  set_register(kSR, 0x0000);
  EXPECT_EQ(cpu.s, 0u);
  EXPECT_EQ(cpu.dar[15], 0x5000u);
  EXPECT_EQ(cpu.sp_slot[0], 0x6000u);
}

TEST(CpuRegisters, InstructionSrWriteSwapsStacks) {
  fresh_cpu();
  set_register(kSR, 0x2700);
  cpu.dar[15] = 0x5000;
  cpu.sp_slot[0] = 0x6000;
  sr_write(0x0700);
  EXPECT_EQ(cpu.dar[15], 0x6000u);
  EXPECT_EQ(cpu.sp_slot[4], 0x5000u);
}

TEST(CpuRegisters, IdsAboveThirtyOneAndSpecialIds) {
  fresh_cpu();
  for (unsigned id : {32u, 33u, 100u, 0xFFFFFFFFu}) {
    set_register(id, 0x1234);
    EXPECT_EQ(get_register(nullptr, id), 0u);
  }
  set_register(kSFC, 0xFF);
  EXPECT_EQ(get_register(nullptr, kSFC), 7u);
  set_register(kIR, 0x12345);
  EXPECT_EQ(get_register(nullptr, kIR), 0x2345u);
  set_register(kReserved27, 5);
  EXPECT_EQ(get_register(nullptr, kReserved27), 0u);
  for (unsigned r = 0; r < 16; ++r) set_register(r, 0x100 + r);
  for (unsigned r = 0; r < 16; ++r) EXPECT_EQ(get_register(nullptr, r), 0x100 + r);
}

TEST(CpuRegisters, SavedContextIsEvaluatedOnItsOwnRecord) {
  fresh_cpu();
  set_register(kSR, 0x2000);
  cpu.dar[15] = 0x1111;
  cpu.sp_slot[0] = 0x2222;
  std::vector<uint8_t> saved(context_size());
  EXPECT_EQ(get_context(saved.data()), context_size());
  set_register(kSR, 0x001F);
  cpu.dar[15] = 0x9999;
  EXPECT_EQ(get_register(saved.data(), kSR), 0x2000u);
  EXPECT_EQ(get_register(saved.data(), kUSP), 0x2222u);
  EXPECT_EQ(get_register(saved.data(), kCpuType), 1u);
  set_context(saved.data());
  EXPECT_EQ(cpu.dar[15], 0x1111u);
  set_context(nullptr);
  EXPECT_EQ(cpu.dar[15], 0x1111u);
}

TEST(CpuModels, TypeCodesMasksAndCpuTypeRegister) {
  struct Row {
    unsigned type;
    uint32_t code, address_mask, sr_mask;
  };
  const Row rows[] = {{1, 1, 0xFFFFFF, 0xA71F},
                      {2, 2, 0xFFFFFF, 0xA71F},
                      {3, 4, 0xFFFFFF, 0xF71F},
                      {4, 8, 0xFFFFFFFF, 0xF71F}};
  cpu = CpuState{};
  EXPECT_EQ(get_register(nullptr, kCpuType), 0u);
  for (const Row& r : rows) {
    fresh_cpu(r.type);
    EXPECT_EQ(cpu.type_code, r.code);
    EXPECT_EQ(cpu.address_mask, r.address_mask);
    EXPECT_EQ(get_register(nullptr, kCpuType), r.type);
    set_register(kSR, 0xFFFF);
    EXPECT_EQ(sr_build(), r.sr_mask);
    set_cpu_type(9);  // ignored
    EXPECT_EQ(cpu.type_code, r.code);
  }
}

TEST(CpuStatusRegister, CcrWriteAndBuild) {
  fresh_cpu();
  ccr_write(0x1F);
  EXPECT_EQ(sr_build() & 0xFF, 0x1Fu);
  ccr_write(0xE0);
  EXPECT_EQ(sr_build() & 0xFF, 0x00u);
  ccr_write(0x04);
  EXPECT_EQ(cpu.flag_z, 0u);
  ccr_write(0x11);
  EXPECT_EQ(cpu.flag_x & 0x100, 0x100u);
  EXPECT_EQ(cpu.flag_c & 0x100, 0x100u);
}

TEST(CpuReset, LoadsStackAndPcAndLeavesDataRegisters) {
  fresh_cpu();
  machine::poke32(0, 0x00010000);
  machine::poke32(4, 0x00002000);
  cpu.dar[3] = 0xDEAD;
  cpu.stopped = 3;
  pulse_reset();
  EXPECT_EQ(cpu.dar[15], 0x00010000u);
  EXPECT_EQ(cpu.pc, 0x2000u);
  EXPECT_EQ(cpu.dar[3], 0xDEADu);
  EXPECT_EQ(cpu.stopped, 0u);
  EXPECT_EQ(sr_build() & 0xFF00, 0x2700u);
}

TEST(CpuExecute, RunsUntilBudgetAndReportsCycles) {
  fresh_cpu();
  fill_words(0x1000, kTrapvOpcode, 64);
  cpu.pc = 0x1000;
  // The loop starts from budget - 1 and takes one more unit on the way out,
  // so a budget of B runs B - 1 instructions (at least one).
  EXPECT_EQ(execute(10), 11);
  EXPECT_EQ(cpu.pc, 0x1000u + 2 * 9);
  EXPECT_EQ(execute(1), 3);  // exactly one instruction
  EXPECT_EQ(cpu.pc, 0x1000u + 2 * 10);
}

TEST(CpuExecute, HaltedOrStoppedRunsNothing) {
  for (uint32_t stopped : {1u, 2u}) {
    fresh_cpu();
    fill_words(0x1000, kTrapvOpcode, 8);
    cpu.pc = 0x1000;
    cpu.stopped = stopped;
    EXPECT_EQ(execute(100), 100);
    EXPECT_EQ(cpu.pc, 0x1000u);
    EXPECT_EQ(cycles_left(), 0);
  }
  pulse_halt();
  EXPECT_EQ(cpu.stopped & 2, 2u);
}

TEST(CpuExecute, EndTimesliceStopsAfterCurrentInstruction) {
  fresh_cpu();
  fill_words(0x1000, kTrapvOpcode, 8);
  cpu.pc = 0x1000;
  execute(1);
  end_timeslice();
  EXPECT_EQ(cycles_left(), 0);
  EXPECT_EQ(cycles_used(), initial_budget);
  adjust_timeslice(5);
  EXPECT_EQ(cycles_left(), 5);
}

TEST(CpuExecute, StopCutsTheBudgetAndLeavesTheCpuStopped) {
  struct Case {
    int32_t budget_before_stop;
    int32_t expected;
  };
  for (Case c : {Case{1000, 4}, Case{3, 3}, Case{0, 0}}) {
    fresh_cpu();
    cpu.s = 4;
    machine::poke16(0x1000, 0x4E72);
    machine::poke16(0x1002, 0x2700);
    cpu.pc = 0x1000;
    cpu.ir = 0x4E72;
    cpu.instr_addr = 0x1000;
    cpu.pc = 0x1002;
    cycle_budget = c.budget_before_stop;
    instruction_jump_table[0x4E72]();
    EXPECT_EQ(cycle_budget, c.expected);
    EXPECT_EQ(cpu.stopped, 1u);
    EXPECT_EQ(sr_build(), 0x2700u);
  }
}

}  // namespace
