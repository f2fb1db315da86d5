// Exception processing: frames on each model, the privilege check, CHK,
// TRAPV, RTE, STOP, RESET, interrupts through set_irq_level, and the
// later-model opcodes that only raise an exception.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu/exceptions.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"

using namespace m68k;
using namespace cputest;

namespace {

constexpr unsigned kAllTypes[] = {kM68000, kM68010, kM68EC020, kM68020};

// Every vector points at its own handler address, so PC tells which vector
// was taken.
constexpr uint32_t handler_of(unsigned vector) {
  return 0x40000 + 0x10 * vector;
}

void install_vectors() {
  for (unsigned v = 0; v < 256; ++v) machine::poke32(4 * v, handler_of(v));
}

void fresh(unsigned type) {
  reset_machine(type);
  install_vectors();
}

// Instruction SR write into the given mode: A7 becomes the user stack for a
// user-mode SR, while the supervisor stack pointer goes to its slot.
void enter_sr(uint32_t sr) {
  sr_write(sr);
}

void load_words(const std::vector<uint16_t>& words) {
  for (size_t i = 0; i < words.size(); ++i) machine::poke16(kCodeAddress + 2 * i, words[i]);
  cpu.pc = kCodeAddress;
}

uint32_t frame_size(unsigned type) {
  return type == kM68000 ? 6 : 8;
}

std::string type_name(unsigned type) {
  static const char* const kNames[] = {"", "M68000", "M68010", "M68EC020", "M68020"};
  return kNames[type];
}

// --- Exceptions raised by instructions --------------------------------------

struct RaiseCase {
  const char* name;
  std::vector<uint16_t> code;
  uint32_t ccr;
  uint32_t d0, d1;
  unsigned vector;
  uint32_t stacked_offset;  // stacked PC minus the instruction's address
};

const RaiseCase kRaiseCases[] = {
    {"Trap1", {0x4E41}, 0, 0, 0, 33, 2},
    {"Trap15", {0x4E4F}, 0, 0, 0, 47, 2},
    {"Illegal", {0x4AFC}, 0, 0, 0, 4, 0},
    {"Unlisted", {0x4E7C}, 0, 0, 0, 4, 0},
    {"LineA", {0xA123}, 0, 0, 0, 10, 0},
    {"LineF", {0xF200}, 0, 0, 0, 11, 0},
    {"TrapvWithV", {0x4E76}, V, 0, 0, 7, 2},
    {"ChkNegative", {0x4181}, 0, 0xFFFF, 3, 6, 2},
    {"ChkImmediateAboveBound", {0x41BC, 0x0003}, 0, 5, 0, 6, 4},
    // Privileged instructions in user mode: nothing is fetched beyond the
    // opcode, so the opcode's own address is stacked.
    {"StopInUserMode", {0x4E72, 0x2700}, 0, 0, 0, 8, 0},
    {"RteInUserMode", {0x4E73}, 0, 0, 0, 8, 0},
    {"ResetInUserMode", {0x4E70}, 0, 0, 0, 8, 0},
};

class RaiseTest : public ::testing::TestWithParam<std::tuple<RaiseCase, unsigned>> {};

TEST_P(RaiseTest, StacksFrameOnSupervisorStackAndJumpsThroughVector) {
  const auto& [c, type] = GetParam();
  fresh(type);
  load_words(c.code);
  dreg(0) = c.d0;
  dreg(1) = c.d1;
  // Trace bit set in the user SR: it must be stacked and then cleared.
  enter_sr(0x8000 | c.ccr);
  ASSERT_EQ(areg(7), kUserStack);
  const uint32_t old_sr = sr_build();
  uint32_t regs_before[15];
  std::memcpy(regs_before, cpu.dar, sizeof regs_before);

  EXPECT_EQ(step(), 1) << "an exception costs one unit";

  const uint32_t sp = kSupervisorStack - frame_size(type);
  EXPECT_EQ(areg(7), sp);
  EXPECT_EQ(cpu.sp_slot[0], kUserStack) << "user A7 saved";
  EXPECT_EQ(cpu.pc, handler_of(c.vector));
  EXPECT_EQ(sr_build() & 0xE000, 0x2000u) << "supervisor, trace cleared";
  EXPECT_EQ(sr_build() & 0x700, 0u) << "mask unchanged";
  // The frame holds the SR of the moment the exception is taken: the system
  // byte of the user, and the condition codes as the instruction left them
  // (CHK sets them before it traps).
  EXPECT_EQ(machine::peek16(sp), (old_sr & 0xFF00) | ccr());
  EXPECT_EQ(machine::peek32(sp + 2), kCodeAddress + c.stacked_offset);
  if (type != kM68000) {
    EXPECT_EQ(machine::peek16(sp + 6), c.vector * 4);
  }
  EXPECT_EQ(cpu.stopped, 0u);
  EXPECT_EQ(std::memcmp(regs_before, cpu.dar, sizeof regs_before), 0) << "registers untouched";
}

INSTANTIATE_TEST_SUITE_P(Exceptions, RaiseTest,
                         ::testing::Combine(::testing::ValuesIn(kRaiseCases),
                                            ::testing::ValuesIn(kAllTypes)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  type_name(std::get<1>(info.param));
                         });

// The supervisor stack taken is the ISP unless M is set, which only the
// 68020 types keep.
struct StackChoiceCase {
  unsigned type;
  uint32_t sr;
  uint32_t expected_base;
};

TEST(ExceptionStack, MasterBitSelectsMasterStackOnLaterModelsOnly) {
  const StackChoiceCase cases[] = {
      {kM68000, 0x1000, 0x8000},   {kM68010, 0x1000, 0x8000}, {kM68EC020, 0x1000, 0x6000},
      {kM68020, 0x1000, 0x6000},   {kM68020, 0x0000, 0x8000}, {kM68020, 0x3000, 0x6000},
      {kM68EC020, 0x2000, 0x8000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(type_name(c.type) + " sr " + std::to_string(c.sr));
    fresh(c.type);
    cpu.sp_slot[6] = 0x6000;
    // Start from a user stack, then switch to the requested mode, so each
    // slot holds its own stack before the TRAP.
    enter_sr(0);
    enter_sr(c.sr);
    load_code({0x4E40});
    step();
    EXPECT_EQ(areg(7), c.expected_base - frame_size(c.type));
    EXPECT_EQ(cpu.pc, handler_of(32));
    EXPECT_NE(cpu.s, 0u);
  }
}

// --- Later-model opcodes ----------------------------------------------------

struct LaterCase {
  uint16_t opcode;
  unsigned vector;
};

std::vector<LaterCase> later_cases() {
  std::vector<LaterCase> cases = {
      {0x4E7A, 4},  {0x4E7B, 4},  {0x49C0, 4},  {0x49C7, 4},  {0x4E74, 4},  {0x484F, 4},
      {0x42C0, 4},  {0x42F9, 4},  {0x4C00, 4},  {0x4C7C, 4},  {0xE8C0, 4},  {0xEFF9, 4},
      {0xEDFB, 4},  {0x06C3, 4},  {0x06D0, 4},  {0x0CFC, 4},  {0x0EFC, 4},  {0x0ADF, 4},
      {0x0E27, 4},  {0x4A48, 4},  {0x4A3A, 4},  {0x4ABC, 4},  {0x0C3A, 4},  {0x0CBB, 4},
      {0x00D0, 4},  {0x04FB, 4},  {0x4F00, 4},  {0x413C, 4},  {0x50FA, 4},  {0x5FFC, 4},
      {0x8140, 4},  {0x8F4F, 4},  {0x8188, 4},  {0x4808, 4},  {0x480F, 4},  {0xF000, 11},
      {0xF048, 11}, {0xF078, 11}, {0xF080, 11}, {0xF200, 11}, {0xFFFF, 11},
  };
  // Every byte displacement of 0xFF is the long form, not a branch.
  for (uint16_t cc = 0; cc < 16; ++cc)
    cases.push_back({static_cast<uint16_t>(0x60FF | cc << 8), 4});
  return cases;
}

class LaterModelTest : public ::testing::TestWithParam<std::tuple<LaterCase, unsigned>> {};

TEST_P(LaterModelTest, RaisesItsExceptionOnEveryModelWithoutFetchingMore) {
  const auto& [c, type] = GetParam();
  fresh(type);
  // Words after the opcode that a real decoder would consume.
  load_code({c.opcode, 0x0000, 0x0000});
  // Z and C set: several of the long branches would be taken if they were
  // decoded as branches.
  enter_sr(0x2000 | Z | C);
  for (unsigned r = 0; r < 8; ++r) dreg(r) = 0x11111111 * r;

  EXPECT_EQ(step(), 1);
  EXPECT_EQ(cpu.pc, handler_of(c.vector));
  const uint32_t sp = kSupervisorStack - frame_size(type);
  EXPECT_EQ(areg(7), sp);
  EXPECT_EQ(machine::peek32(sp + 2), kCodeAddress) << "the opcode's own address is stacked";
  if (type != kM68000) {
    EXPECT_EQ(machine::peek16(sp + 6), c.vector * 4);
  }
  for (unsigned r = 0; r < 8; ++r) EXPECT_EQ(dreg(r), 0x11111111 * r);
  EXPECT_STREQ(opcode_family(c.opcode), c.vector == 11 ? "lineF" : "illegal");
}

INSTANTIATE_TEST_SUITE_P(Opcodes, LaterModelTest,
                         ::testing::Combine(::testing::ValuesIn(later_cases()),
                                            ::testing::ValuesIn(kAllTypes)),
                         [](const auto& info) {
                           char buf[16];
                           std::snprintf(buf, sizeof buf, "%04X_",
                                         unsigned{std::get<0>(info.param).opcode});
                           return buf + type_name(std::get<1>(info.param));
                         });

TEST(LaterModel, EveryLineFOpcodeTakesLineF) {
  init();
  for (uint32_t op = 0xF000; op <= 0xFFFF; ++op)
    ASSERT_EQ(instruction_jump_table[op], &op_line_f) << std::hex << op;
}

// --- CHK --------------------------------------------------------------------

struct ChkCase {
  uint32_t dn;
  uint16_t bound;
  uint32_t ccr_before;
  bool traps;
  uint32_t ccr_after;
};

class ChkTest : public ::testing::TestWithParam<ChkCase> {};

TEST_P(ChkTest, BoundsAndFlags) {
  const ChkCase& c = GetParam();
  fresh(kM68000);
  load_code({0x4181});  // CHK D1,D0
  dreg(0) = c.dn;
  dreg(1) = 0xABCD0000u | c.bound;  // upper word of the bound register is ignored
  set_ccr(c.ccr_before);
  const int32_t charged = step();
  EXPECT_EQ(cpu.pc, c.traps ? handler_of(6) : kCodeAddress + 2);
  EXPECT_EQ(charged, c.traps ? 1 : 0);
  EXPECT_EQ(ccr(), c.ccr_after);
  EXPECT_EQ(dreg(0), c.dn);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChkTest,
                         ::testing::Values(
                             // Negative value: N set whatever the bound.
                             ChkCase{0x0000FFFF, 3, 0, true, N},
                             ChkCase{0x00008000, 0x7FFF, Z, true, N},
                             // Above the bound: N cleared.
                             ChkCase{5, 3, X | N | V | C, true, X},
                             ChkCase{0x7FFF, 0x8000, N, true, 0}, ChkCase{0, 0xFFFF, N, true, Z},
                             // In range: N unchanged, Z from the low word, V and C cleared.
                             ChkCase{0, 3, X | N | V | C, false, X | N | Z},
                             ChkCase{0, 3, V | C, false, Z}, ChkCase{3, 3, Z | C, false, 0},
                             ChkCase{0x12340002, 2, N | Z, false, N},
                             ChkCase{0xFFFF0000, 0, 0, false, Z}));

TEST(Trapv, WithVClearDoesNothingAndCostsNothing) {
  fresh(kM68000);
  load_code({0x4E76});
  set_ccr(X | N | Z | C);
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2);
  EXPECT_EQ(areg(7), kSupervisorStack);
  EXPECT_EQ(ccr(), X | N | Z | C);
}

TEST(Reset, InSupervisorModeChargesOneAndChangesNothing) {
  fresh(kM68000);
  load_code({0x4E70});
  dreg(3) = 0x1234;
  const uint32_t sr = sr_build();
  EXPECT_EQ(step(), 1);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2);
  EXPECT_EQ(sr_build(), sr);
  EXPECT_EQ(dreg(3), 0x1234u);
  EXPECT_EQ(areg(7), kSupervisorStack);
}

// --- RTE --------------------------------------------------------------------

class RteTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RteTest, TrapThenRteReturnsToUserModeAndRestoresStacks) {
  const unsigned type = GetParam();
  fresh(type);
  machine::poke16(handler_of(33), 0x4E73);  // TRAP #1 handler: RTE
  load_code({0x4E41, 0x4E71});
  enter_sr(X | C);
  const uint32_t isp_before = cpu.sp_slot[4];
  step();
  ASSERT_EQ(cpu.pc, handler_of(33));
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2);
  EXPECT_EQ(sr_build(), X | C);
  EXPECT_EQ(areg(7), kUserStack);
  EXPECT_EQ(cpu.sp_slot[4], isp_before) << "format word removed on later models";
}

TEST_P(RteTest, PopsHandBuiltFrameAndMasksSr) {
  const unsigned type = GetParam();
  fresh(type);
  const uint32_t sp = 0x7F00;
  areg(7) = sp;
  cpu.sp_slot[6] = 0x5000;
  machine::poke16(sp, 0xFFFF);  // every bit: only the model's SR mask survives
  machine::poke32(sp + 2, 0x00123456);
  machine::poke16(sp + 6, 0x0010);
  machine::poke16(sp + 8, 0xEEEE);
  load_code({0x4E73});
  step();
  const bool keeps_m = type >= kM68EC020;
  EXPECT_EQ(sr_build(), keeps_m ? 0xF71Fu : 0xA71Fu);
  EXPECT_EQ(cpu.pc, 0x00123456u);
  if (keeps_m) {
    // M set: the popped-past ISP is saved and the master stack goes live.
    EXPECT_EQ(cpu.sp_slot[4], sp + frame_size(type));
    EXPECT_EQ(areg(7), 0x5000u);
  } else {
    EXPECT_EQ(areg(7), sp + frame_size(type));
  }
}

INSTANTIATE_TEST_SUITE_P(Models, RteTest, ::testing::ValuesIn(kAllTypes),
                         [](const auto& info) { return type_name(info.param); });

// --- STOP -------------------------------------------------------------------

struct StopCase {
  unsigned type;
  int32_t budget;
  int32_t expected;
};

TEST(Stop, BudgetIsCutToTheModelsStopCost) {
  const StopCase cases[] = {
      {kM68000, 1000, 4}, {kM68010, 1000, 4}, {kM68EC020, 1000, 8}, {kM68020, 1000, 8},
      {kM68000, 4, 4},    {kM68000, 3, 3},    {kM68000, 0, 0},      {kM68000, -6, -2},
      {kM68020, 5, 5},    {kM68020, 8, 8},    {kM68020, -17, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(type_name(c.type) + " budget " + std::to_string(c.budget));
    fresh(c.type);
    load_code({0x4E72, 0x2015});
    cpu.instr_addr = cpu.pc;
    cpu.pc += 2;
    cpu.ir = 0x4E72;
    cycle_budget = c.budget;
    instruction_jump_table[cpu.ir]();
    EXPECT_EQ(cycle_budget, c.expected);
    EXPECT_EQ(cpu.stopped, 1u);
    EXPECT_EQ(sr_build(), 0x2015u);
    EXPECT_EQ(cpu.pc, kCodeAddress + 4);
    EXPECT_EQ(execute(100), 100) << "a stopped CPU runs nothing";
    EXPECT_EQ(cpu.pc, kCodeAddress + 4);
  }
}

TEST(Stop, IntoUserModeSwitchesStacks) {
  fresh(kM68000);
  load_code({0x4E72, 0x0000});
  step();
  EXPECT_EQ(areg(7), kUserStack);
  EXPECT_EQ(cpu.sp_slot[4], kSupervisorStack);
  EXPECT_EQ(cpu.stopped, 1u);
}

// --- Interrupts -------------------------------------------------------------

struct IrqCase {
  unsigned type;
  uint32_t sr;
  unsigned level;
  bool taken;
};

class IrqTest : public ::testing::TestWithParam<IrqCase> {};

TEST_P(IrqTest, SetIrqLevelTakesOnlyUnmaskedLevelsOrTheLevel7Edge) {
  const IrqCase& c = GetParam();
  fresh(c.type);
  cpu.pc = kCodeAddress;
  enter_sr(c.sr);
  const uint32_t sp_before = areg(7);
  cycle_budget = 500;
  set_irq_level(c.level);
  EXPECT_EQ(cycle_budget, 500) << "interrupts cost nothing";
  if (!c.taken) {
    EXPECT_EQ(cpu.pc, kCodeAddress);
    EXPECT_EQ(cpu.pending_level, c.level << 8);
    EXPECT_EQ(areg(7), sp_before);
    return;
  }
  EXPECT_EQ(cpu.pc, handler_of(24 + c.level));
  EXPECT_EQ(cpu.pending_level, 0u);
  EXPECT_EQ(cpu.int_mask, c.level << 8);
  EXPECT_NE(cpu.s, 0u);
  const uint32_t sp = kSupervisorStack - frame_size(c.type);
  ASSERT_EQ(areg(7), sp);
  EXPECT_EQ(machine::peek16(sp), c.sr);
  EXPECT_EQ(machine::peek32(sp + 2), kCodeAddress);
  if (c.type != kM68000) {
    EXPECT_EQ(machine::peek16(sp + 6), 0x60 + 4 * c.level);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, IrqTest,
    ::testing::Values(IrqCase{kM68000, 0x2300, 3, false}, IrqCase{kM68000, 0x2300, 2, false},
                      IrqCase{kM68000, 0x2300, 4, true}, IrqCase{kM68010, 0x2300, 4, true},
                      IrqCase{kM68000, 0x0000, 1, true}, IrqCase{kM68020, 0x0005, 6, true},
                      IrqCase{kM68000, 0x0000, 0, false}, IrqCase{kM68000, 0x2700, 6, false},
                      IrqCase{kM68000, 0x2700, 7, true}, IrqCase{kM68010, 0x2700, 7, true}));

TEST(Irq, ZeroAutovectorFallsBackToVector15KeepingItsOwnFormatWord) {
  for (unsigned type : kAllTypes) {
    SCOPED_TRACE(type_name(type));
    fresh(type);
    machine::poke32(4 * (24 + 5), 0);
    cpu.pc = kCodeAddress;
    enter_sr(0x2000);
    set_irq_level(5);
    EXPECT_EQ(cpu.pc, handler_of(15));
    EXPECT_EQ(cpu.pending_level, 0u);
    if (type != kM68000) {
      EXPECT_EQ(machine::peek16(areg(7) + 6), 0x74u);
    }
  }
}

// A masked level stays pending; the SR write that lowers the mask takes it,
// stacking the SR just written and the PC after the instruction.
TEST(Irq, PendingLevelIsTakenByRteThatLowersTheMask) {
  fresh(kM68010);
  enter_sr(0x2300);
  set_irq_level(3);
  ASSERT_EQ(cpu.pending_level, 0x300u);
  const uint32_t sp = 0x7F00;
  areg(7) = sp;
  machine::poke16(sp, 0x2204);
  machine::poke32(sp + 2, 0x3000);
  machine::poke16(sp + 6, 0);
  load_code({0x4E73});
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(cpu.pc, handler_of(27));
  EXPECT_EQ(cpu.pending_level, 0u);
  EXPECT_EQ(cpu.int_mask, 0x300u);
  EXPECT_EQ(areg(7), sp) << "RTE popped 8 bytes, the interrupt pushed 8";
  EXPECT_EQ(machine::peek16(areg(7)), 0x2204u);
  EXPECT_EQ(machine::peek32(areg(7) + 2), 0x3000u);
  EXPECT_EQ(machine::peek16(areg(7) + 6), 0x6Cu);
}

TEST(Irq, StopWakesAtOnceWhenItsSrUnmasksAPendingLevel) {
  fresh(kM68000);
  set_irq_level(3);
  load_code({0x4E72, 0x2000});
  step();
  EXPECT_EQ(cpu.stopped, 0u);
  EXPECT_EQ(cpu.pc, handler_of(27));
  EXPECT_EQ(machine::peek16(areg(7)), 0x2000u);
  EXPECT_EQ(machine::peek32(areg(7) + 2), kCodeAddress + 4);
}

TEST(Irq, StoppedCpuWakesOnlyForAnUnmaskedLevelOrLevel7) {
  fresh(kM68000);
  load_code({0x4E72, 0x2400});
  step();
  ASSERT_EQ(cpu.stopped, 1u);
  set_irq_level(4);
  EXPECT_EQ(cpu.stopped, 1u) << "masked level leaves the CPU stopped";
  set_irq_level(5);
  EXPECT_EQ(cpu.stopped, 0u);
  EXPECT_EQ(cpu.pc, handler_of(29));

  fresh(kM68000);
  load_code({0x4E72, 0x2700});
  step();
  set_irq_level(7);
  EXPECT_EQ(cpu.stopped, 0u);
  EXPECT_EQ(cpu.pc, handler_of(31));
}

TEST(Irq, HaltedCpuRecordsTheLevelButTakesNothing) {
  fresh(kM68000);
  enter_sr(0x2000);
  cpu.pc = kCodeAddress;
  pulse_halt();
  for (unsigned level : {5u, 7u}) {
    set_irq_level(level);
    EXPECT_EQ(cpu.pc, kCodeAddress);
    EXPECT_EQ(cpu.pending_level, level << 8);
    EXPECT_EQ(cpu.stopped, 2u);
  }
}

// Level 7 is taken only on its rising edge: once pending at 7 (here because
// the CPU was halted when it arrived), raising it again does not take it and
// neither does an SR write that keeps mask 7; lowering the mask does.
TEST(Irq, Level7IsEdgeTriggered) {
  fresh(kM68000);
  pulse_halt();
  set_irq_level(7);
  pulse_reset();  // clears the halt, mask 7, level still pending
  areg(7) = kSupervisorStack;
  cpu.pc = kCodeAddress;
  ASSERT_EQ(cpu.pending_level, 0x700u);
  set_irq_level(7);
  EXPECT_EQ(cpu.pc, kCodeAddress);
  sr_write(0x2700);
  EXPECT_EQ(cpu.pc, kCodeAddress);
  EXPECT_EQ(cpu.pending_level, 0x700u);
  sr_write(0x2600);
  EXPECT_EQ(cpu.pc, handler_of(31));
  EXPECT_EQ(cpu.pending_level, 0u);
}

}  // namespace
