// Program control: condition tests through Bcc, the extra budget charges of
// Bcc, DBcc and Scc, the idle-branch shortcut, and the stack effects of BSR,
// JSR, RTS and RTR.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"

using namespace m68k;
using namespace cputest;

namespace {

void load_words(const std::vector<uint16_t>& words) {
  for (size_t i = 0; i < words.size(); ++i) machine::poke16(kCodeAddress + 2 * i, words[i]);
  cpu.pc = kCodeAddress;
}

// One instruction as the execute loop runs it, from a chosen budget; returns
// the budget the handler leaves.
int32_t budget_after(int32_t budget) {
  cpu.instr_addr = cpu.pc;
  cpu.pc += 2;
  cpu.ir = machine::peek16(cpu.instr_addr);
  cycle_budget = budget;
  instruction_jump_table[cpu.ir]();
  return cycle_budget;
}

// --- Bcc: every condition, both forms, both directions ---------------------

struct BranchCase {
  unsigned cc;
  uint32_t ccr;
  bool taken;
};

class BranchTest : public ::testing::TestWithParam<BranchCase> {};

TEST_P(BranchTest, ByteAndWordFormsFollowTheCondition) {
  const BranchCase& c = GetParam();
  const uint16_t opcode = static_cast<uint16_t>(0x6000 | c.cc << 8);
  struct Form {
    std::vector<uint16_t> code;
    int32_t disp;
    uint32_t length;
  };
  const Form forms[] = {
      {{static_cast<uint16_t>(opcode | 0x40)}, 0x40, 2},
      {{static_cast<uint16_t>(opcode | 0xC0)}, -0x40, 2},
      {{opcode, 0x0100}, 0x100, 4},
      {{opcode, 0xFF00}, -0x100, 4},
  };
  for (const Form& f : forms) {
    SCOPED_TRACE("displacement " + std::to_string(f.disp));
    reset_machine();
    load_words(f.code);
    set_ccr(c.ccr);
    const int32_t charged = step();
    // The base of both forms is the address after the opcode.
    const uint32_t expected =
        c.taken ? kCodeAddress + 2 + static_cast<uint32_t>(f.disp) : kCodeAddress + f.length;
    EXPECT_EQ(cpu.pc, expected);
    EXPECT_EQ(charged, c.taken ? 0 : 1);
    EXPECT_EQ(ccr(), c.ccr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, BranchTest,
    ::testing::Values(BranchCase{0, X | N | Z | V | C, true},  // BRA
                      BranchCase{2, 0, true}, BranchCase{2, C, false}, BranchCase{2, Z, false},
                      BranchCase{3, 0, false}, BranchCase{3, C, true}, BranchCase{3, Z, true},
                      BranchCase{4, X, true}, BranchCase{4, C, false},          //
                      BranchCase{5, C, true}, BranchCase{5, X, false},          //
                      BranchCase{6, 0, true}, BranchCase{6, Z, false},          //
                      BranchCase{7, Z, true}, BranchCase{7, N | V | C, false},  //
                      BranchCase{8, 0, true}, BranchCase{8, V, false},          //
                      BranchCase{9, V, true}, BranchCase{9, N | Z | C, false},  //
                      BranchCase{10, 0, true}, BranchCase{10, N, false},        //
                      BranchCase{11, N, true}, BranchCase{11, V, false},        //
                      BranchCase{12, 0, true}, BranchCase{12, N | V, true},
                      BranchCase{12, N, false}, BranchCase{12, V, false},  //
                      BranchCase{13, N, true}, BranchCase{13, V, true},
                      BranchCase{13, N | V, false}, BranchCase{13, 0, false},  //
                      BranchCase{14, 0, true}, BranchCase{14, N | V, true},
                      BranchCase{14, Z, false}, BranchCase{14, N, false},  //
                      BranchCase{15, Z, true}, BranchCase{15, N, true},
                      BranchCase{15, N | V | Z, true}, BranchCase{15, 0, false},
                      BranchCase{15, N | V, false}));

// --- Idle-branch shortcut ---------------------------------------------------

struct IdleCase {
  const char* name;
  unsigned type;
  std::vector<uint16_t> code;
  uint32_t a0;
  int32_t budget;
  int32_t expected;
};

class IdleTest : public ::testing::TestWithParam<IdleCase> {};

TEST_P(IdleTest, BudgetAfterBranch) {
  const IdleCase& c = GetParam();
  reset_machine(c.type);
  load_words(c.code);
  areg(0) = c.a0;
  dreg(0) = 0;
  set_ccr(Z);
  EXPECT_EQ(budget_after(c.budget), c.expected);
}

// 1237 leaves a different remainder for each cycle-table entry involved:
// 10 -> 7, 8 -> 5, 14 -> 5, 12 -> 1, 4 -> 1, 5 -> 2, 7 -> 5.
INSTANTIATE_TEST_SUITE_P(
    Shortcut, IdleTest,
    ::testing::Values(
        IdleCase{"BraShortSelf", kM68000, {0x60FE}, 0, 1237, 7},
        IdleCase{"BraShortSelf68020", kM68020, {0x60FE}, 0, 1237, 7},
        IdleCase{"BraShortSelfSmallBudget", kM68000, {0x60FE}, 0, 7, 7},
        IdleCase{"BraShortSelfNegativeBudget", kM68000, {0x60FE}, 0, -13, -3},
        IdleCase{"BraWordSelf", kM68010, {0x6000, 0xFFFE}, 0, 1237, 7},
        IdleCase{"BraElsewhere", kM68000, {0x6002}, 0, 1237, 1237},
        IdleCase{"BraWordElsewhere", kM68000, {0x6000, 0x0000}, 0, 1237, 1237},
        IdleCase{"JmpIndSelf", kM68000, {0x4ED0}, kCodeAddress, 1237, 5},
        IdleCase{"JmpIndSelf68020", kM68020, {0x4ED0}, kCodeAddress, 1237, 1},
        IdleCase{"JmpIndElsewhere", kM68000, {0x4ED0}, 0x2000, 1237, 1237},
        IdleCase{"JmpDispSelf", kM68000, {0x4EE8, 0x0010}, kCodeAddress - 0x10, 1237, 7},
        IdleCase{"JmpDispSelf68EC020", kM68EC020, {0x4EE8, 0x0010}, kCodeAddress - 0x10, 1237, 2},
        IdleCase{"JmpIndexSelf", kM68000, {0x4EF0, 0x0000}, kCodeAddress, 1237, 5},
        IdleCase{"JmpIndexSelf68020", kM68020, {0x4EF0, 0x0000}, kCodeAddress, 1237, 5},
        IdleCase{"JmpAbsWSelf", kM68000, {0x4EF8, 0x1000}, 0, 1237, 7},
        IdleCase{"JmpAbsWSelf68020", kM68020, {0x4EF8, 0x1000}, 0, 1237, 1},
        IdleCase{"JmpAbsLSelf", kM68010, {0x4EF9, 0x0000, 0x1000}, 0, 1237, 1},
        IdleCase{"JmpPcDispSelf", kM68000, {0x4EFA, 0xFFFE}, 0, 1237, 7},
        IdleCase{"JmpPcDispSelf68020", kM68020, {0x4EFA, 0xFFFE}, 0, 1237, 2},
        IdleCase{"JmpPcIndexSelf", kM68000, {0x4EFB, 0x00FE}, 0, 1237, 5},
        // Only BRA and JMP give up the timeslice.
        IdleCase{"BeqSelfNoShortcut", kM68000, {0x67FE}, 0, 1237, 1237},
        IdleCase{"BsrSelfNoShortcut", kM68000, {0x61FE}, 0, 1237, 1237},
        IdleCase{"JsrSelfNoShortcut", kM68000, {0x4E90}, kCodeAddress, 1237, 1237}),
    [](const auto& info) { return std::string(info.param.name); });

// --- DBcc -------------------------------------------------------------------

struct DbccCase {
  const char* name;
  uint16_t opcode;
  uint32_t ccr;
  uint32_t before;
  uint32_t after;
  bool branches;
  int32_t charge;
};

class DbccTest : public ::testing::TestWithParam<DbccCase> {};

TEST_P(DbccTest, CountsTheLowWordAndBranches) {
  const DbccCase& c = GetParam();
  reset_machine();
  load_code({c.opcode, 0xFFE0});
  const unsigned reg = c.opcode & 7;
  dreg(reg) = c.before;
  set_ccr(c.ccr);
  EXPECT_EQ(step(), c.charge);
  EXPECT_EQ(dreg(reg), c.after);
  EXPECT_EQ(cpu.pc, c.branches ? kCodeAddress + 2 - 0x20 : kCodeAddress + 4);
  EXPECT_EQ(ccr(), c.ccr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DbccTest,
    ::testing::Values(
        DbccCase{"DbraExpires", 0x51C8, 0, 0x12340000, 0x1234FFFF, false, 1},
        DbccCase{"DbraLoops", 0x51C8, 0, 0x12340001, 0x12340000, true, 1},
        DbccCase{"DbraLowWordFFFF", 0x51CB, X | N | Z | V | C, 0x0000FFFF, 0x0000FFFE, true, 1},
        DbccCase{"DbeqConditionTrue", 0x57C8, Z, 5, 5, false, 0},
        DbccCase{"DbeqConditionFalse", 0x57CD, 0, 2, 1, true, 1},
        DbccCase{"DbtNeverCounts", 0x50C8, 0, 0, 0, false, 0},
        DbccCase{"DbneConditionTrue", 0x56CF, 0, 0x80000000, 0x80000000, false, 0},
        DbccCase{"DbltConditionFalse", 0x5DC9, N | V, 0xFFFF8000, 0xFFFF7FFF, true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Scc --------------------------------------------------------------------

struct SccRegCase {
  const char* name;
  uint16_t opcode;
  uint32_t ccr;
  uint32_t low_byte;
  int32_t charge;
};

class SccRegisterTest : public ::testing::TestWithParam<SccRegCase> {};

TEST_P(SccRegisterTest, SetsLowByteAndChargesTrueConditionsExceptSt) {
  const SccRegCase& c = GetParam();
  reset_machine();
  load_code({c.opcode});
  const unsigned reg = c.opcode & 7;
  dreg(reg) = 0xA5A5A5A5;
  set_ccr(c.ccr);
  EXPECT_EQ(step(), c.charge);
  EXPECT_EQ(dreg(reg), 0xA5A5A500 | c.low_byte);
  EXPECT_EQ(ccr(), c.ccr);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, SccRegisterTest,
                         ::testing::Values(SccRegCase{"St", 0x50C1, 0, 0xFF, 0},
                                           SccRegCase{"Sf", 0x51C1, X | N | Z | V | C, 0x00, 0},
                                           SccRegCase{"SneTrue", 0x56C1, 0, 0xFF, 1},
                                           SccRegCase{"SneFalse", 0x56C1, Z, 0x00, 0},
                                           SccRegCase{"SeqTrue", 0x57C2, Z, 0xFF, 1},
                                           SccRegCase{"ShiFalse", 0x52C0, C, 0x00, 0},
                                           SccRegCase{"SgtTrue", 0x5EC7, N | V, 0xFF, 1},
                                           SccRegCase{"SltFalse", 0x5DC7, N | V, 0x00, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SccMemCase {
  const char* name;
  std::vector<uint16_t> code;
  uint32_t ccr;
  unsigned reg;         // address register set to kTarget (or its base)
  uint32_t reg_value;   // value of that register before
  uint32_t written_at;  // the one byte that changes
  uint32_t value;       // 0xFF or 0x00
  uint32_t reg_after;   // the register after the step
};

constexpr uint32_t kArea = 0x2000;

class SccMemoryTest : public ::testing::TestWithParam<SccMemCase> {};

TEST_P(SccMemoryTest, WritesOneByteAndChargesNothing) {
  const SccMemCase& c = GetParam();
  reset_machine();
  load_words(c.code);
  for (uint32_t a = kArea - 0x20; a < kArea + 0x20; ++a) machine::poke8(a, 0x5A);
  areg(c.reg) = c.reg_value;
  set_ccr(c.ccr);
  EXPECT_EQ(step(), 0);
  for (uint32_t a = kArea - 0x20; a < kArea + 0x20; ++a)
    EXPECT_EQ(machine::peek8(a), a == c.written_at ? c.value : 0x5Au) << std::hex << a;
  EXPECT_EQ(areg(c.reg), c.reg_after);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SccMemoryTest,
    ::testing::Values(
        SccMemCase{"SeqInd", {0x57D0}, Z, 0, kArea, kArea, 0xFF, kArea},
        SccMemCase{"SnePostInc", {0x56D8}, Z, 0, kArea, kArea, 0x00, kArea + 1},
        SccMemCase{"StPostIncA7", {0x50DF}, 0, 7, kArea, kArea, 0xFF, kArea + 2},
        SccMemCase{"StPreDecA7", {0x50E7}, 0, 7, kArea, kArea - 2, 0xFF, kArea - 2},
        SccMemCase{"SfPreDec", {0x51E1}, 0, 1, kArea, kArea - 1, 0x00, kArea - 1},
        SccMemCase{"SvsDisp", {0x59EA, 0x0010}, V, 2, kArea, kArea + 0x10, 0xFF, kArea},
        SccMemCase{
            "SplIndex", {0x5AF3, 0x10FC}, 0, 3, kArea + 0x10, kArea + 0x0C, 0xFF, kArea + 0x10},
        SccMemCase{"StAbsW", {0x50F8, 0x2003}, 0, 0, 0, kArea + 3, 0xFF, 0},
        SccMemCase{"SccAbsL", {0x54F9, 0x0000, 0x1FFF}, C, 0, 0, kArea - 1, 0x00, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Subroutine calls and returns -------------------------------------------

// return_address 0: a jump, which leaves the stack alone.
struct CallCase {
  const char* name;
  std::vector<uint16_t> code;
  uint32_t a0;
  uint32_t target;
  uint32_t return_address;
};

class CallTest : public ::testing::TestWithParam<CallCase> {};

TEST_P(CallTest, PushesReturnAddressAndJumps) {
  const CallCase& c = GetParam();
  reset_machine();
  load_words(c.code);
  areg(0) = c.a0;
  dreg(1) = 0x10;
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(cpu.pc, c.target);
  if (c.return_address == 0) {
    EXPECT_EQ(areg(7), kSupervisorStack);
    return;
  }
  EXPECT_EQ(areg(7), kSupervisorStack - 4);
  EXPECT_EQ(machine::peek32(kSupervisorStack - 4), c.return_address);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CallTest,
    ::testing::Values(
        CallCase{"BsrShortForward", {0x6110}, 0, kCodeAddress + 0x12, kCodeAddress + 2},
        CallCase{"BsrShortBackward", {0x61F0}, 0, kCodeAddress - 0x0E, kCodeAddress + 2},
        CallCase{"BsrWord", {0x6100, 0x0100}, 0, kCodeAddress + 0x102, kCodeAddress + 4},
        CallCase{"BsrWordBackward", {0x6100, 0xFFFE}, 0, kCodeAddress, kCodeAddress + 4},
        CallCase{"JsrInd", {0x4E90}, 0x3000, 0x3000, kCodeAddress + 2},
        // (A7) is read before the push moves A7.
        CallCase{"JsrIndA7", {0x4E97}, 0, kSupervisorStack, kCodeAddress + 2},
        CallCase{"JsrDisp", {0x4EA8, 0xFFF0}, 0x3000, 0x2FF0, kCodeAddress + 4},
        CallCase{"JsrIndexLong", {0x4EB0, 0x1804}, 0x3000, 0x3014, kCodeAddress + 4},
        CallCase{"JsrAbsW", {0x4EB8, 0x4000}, 0, 0x4000, kCodeAddress + 4},
        CallCase{"JsrAbsL", {0x4EB9, 0x0001, 0x0000}, 0, 0x10000, kCodeAddress + 6},
        CallCase{"JsrPcDisp", {0x4EBA, 0x0100}, 0, kCodeAddress + 0x102, kCodeAddress + 4},
        CallCase{"JsrPcIndex", {0x4EBB, 0x1020}, 0, kCodeAddress + 0x32, kCodeAddress + 4},
        CallCase{"JmpInd", {0x4ED0}, 0x3000, 0x3000, 0},
        CallCase{"JmpDisp", {0x4EE8, 0x8000}, 0x3000, 0xFFFFB000, 0},
        CallCase{"JmpIndexWord", {0x4EF0, 0x1002}, 0x3000, 0x3012, 0},
        CallCase{"JmpAbsW", {0x4EF8, 0x8000}, 0, 0xFFFF8000, 0},  // PC is not masked
        CallCase{"JmpAbsL", {0x4EF9, 0x00FE, 0x0000}, 0, 0x00FE0000, 0},
        CallCase{"JmpPcDisp", {0x4EFA, 0x0040}, 0, kCodeAddress + 0x42, 0},
        CallCase{"JmpPcIndexLong", {0x4EFB, 0x18F0}, 0, kCodeAddress + 2, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Return, RtsPopsThePc) {
  reset_machine();
  load_code({0x4E75});
  areg(7) = 0x7FF0;
  machine::poke32(0x7FF0, 0x00123456);
  set_ccr(X | C);
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(cpu.pc, 0x00123456u);
  EXPECT_EQ(areg(7), 0x7FF4u);
  EXPECT_EQ(ccr(), X | C);
}

struct RtrCase {
  uint32_t sr;  // mode RTR runs in
  uint16_t popped;
  uint32_t ccr_after;
};

// RTR loads only the condition codes; it runs in user mode as well.
TEST(Return, RtrRestoresOnlyTheConditionCodes) {
  const RtrCase cases[] = {
      {0x2700, 0xFF1F, X | N | Z | V | C},
      {0x2700, 0x0000, 0},
      {0x2300, 0x00E5, Z | C},
      {0x0000, 0x2712, X | V},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.popped);
    reset_machine();
    sr_write(c.sr | X | N | Z | V | C);
    load_code({0x4E77});
    const uint32_t sp = areg(7) - 6;
    areg(7) = sp;
    machine::poke16(sp, c.popped);
    machine::poke32(sp + 2, 0x4000);
    EXPECT_EQ(step(), 0);
    EXPECT_EQ(cpu.pc, 0x4000u);
    EXPECT_EQ(areg(7), sp + 6);
    EXPECT_EQ(sr_build(), c.sr | c.ccr_after);
  }
}

TEST(Nop, ChangesNothingButThePc) {
  reset_machine();
  load_code({0x4E71});
  set_ccr(N | V);
  for (unsigned r = 0; r < 15; ++r) cpu.dar[r] = 0x01010101 * r;
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2);
  EXPECT_EQ(sr_build(), 0x2700 | N | V);
  for (unsigned r = 0; r < 15; ++r) EXPECT_EQ(cpu.dar[r], 0x01010101 * r);
  EXPECT_EQ(areg(7), kSupervisorStack);
}

}  // namespace
