// AND, OR, EOR, NOT, TST, TAS, EXT, SWAP and the immediate operations on
// CCR and SR: the logic flag rule per size, partial-register writes, the
// privilege check of the SR forms and the SR write's side effects.
#include <gtest/gtest.h>

#include <string>

#include "cpu/cpu_state.h"
#include "cpu/exceptions.h"
#include "machine/emu_memory.h"
#include "tests/unit/cpu_test_support.h"

using namespace cputest;
using m68k::areg;
using m68k::dreg;

namespace {

// One instruction on D0 (and D1 as the source where there is one), with an
// optional extension word.
struct LogicCase {
  const char* name;
  uint16_t opcode, extension;
  uint32_t d0, d1, ccr_before;
  uint32_t d0_after, ccr_after;
};

class LogicRegister : public testing::TestWithParam<LogicCase> {};

TEST_P(LogicRegister, ResultAndFlags) {
  const LogicCase& c = GetParam();
  reset_machine();
  load_code({c.opcode, c.extension});
  dreg(0) = c.d0;
  dreg(1) = c.d1;
  set_ccr(c.ccr_before);
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(dreg(0), c.d0_after);
  EXPECT_EQ(ccr(), c.ccr_after);
}

const LogicCase kLogicCases[] = {
    // V and C always cleared, X kept, bits above the size kept.
    {"AndByte", 0xC001, 0, 0x123456F0, 0x8F, X | V | C, 0x12345680, X | N},
    {"AndLongSign", 0xC081, 0, 0x80000001, 0xFFFFFFFE, C, 0x80000000, N},
    {"OrWordSign", 0x8041, 0, 0x00000001, 0x8000, Z, 0x00008001, N},
    {"EorLong", 0xB380, 0, 0xFFFFFFFF, 0xFFFFFFFF, N | V, 0, Z},
    {"NotWord", 0x4640, 0, 0x1234FFFF, 0, X | N | C, 0x12340000, X | Z},
    {"TstWordNegative", 0x4A40, 0, 0x00008000, 0, V | C | Z, 0x00008000, N},
    {"TstLongZero", 0x4A80, 0, 0, 0, X | N, 0, X | Z},
    {"TasZero", 0x4AC0, 0, 0x00000000, 0, V | C, 0x00000080, Z},
    {"TasNegativeSetsN", 0x4AC0, 0, 0xFFFFFF81, 0, X, 0xFFFFFF81, X | N},
    {"TasKeepsUpperBits", 0x4AC0, 0, 0xABCDEF01, 0, 0, 0xABCDEF81, 0},
    {"ExtWordNegative", 0x4880, 0, 0x12345680, 0, V, 0x1234FF80, N},
    {"ExtWordZero", 0x4880, 0, 0xFFFFFF00, 0, X | N, 0xFFFF0000, X | Z},
    {"ExtLongNegative", 0x48C0, 0, 0x00008000, 0, 0, 0xFFFF8000, N},
    {"SwapSign", 0x4840, 0, 0x00018000, 0, Z, 0x80000001, N},
    {"SwapZero", 0x4840, 0, 0, 0, X | V, 0, X | Z},
    // Immediates: a byte immediate is the low byte of its word.
    {"AndiByteUsesLowByte", 0x0200, 0xFF0F, 0x123456F3, 0, C, 0x12345603, 0},
    {"OriWord", 0x0040, 0x8000, 0x00000001, 0, 0, 0x00008001, N},
    {"EoriByteToZero", 0x0A00, 0x00AA, 0x000011AA, 0, X, 0x00001100, X | Z},
};

INSTANTIATE_TEST_SUITE_P(Cases, LogicRegister, testing::ValuesIn(kLogicCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Flag stores relative to the memory write, seen from inside the write: the
// fault channel at 0xFFFF00 dumps the live SR. Its read yields all ones.
struct OrderCase {
  const char* name;
  uint16_t opcode, extension;
  uint32_t d1, ccr_before, ccr_after;
  bool flags_first;
};

class LogicFlagOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(LogicFlagOrder, AgainstWrite) {
  const OrderCase& c = GetParam();
  reset_machine();
  load_code({c.opcode, c.extension});
  areg(0) = 0xFFFF00;
  dreg(1) = c.d1;
  set_ccr(c.ccr_before);
  testing::internal::CaptureStdout();
  step();
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_NE(c.ccr_before, c.ccr_after);
  EXPECT_EQ(ccr(), c.ccr_after);
  const size_t at = out.find("SSR=");
  ASSERT_NE(at, std::string::npos) << out;
  const unsigned seen = static_cast<unsigned>(std::stoul(out.substr(at + 4, 4), nullptr, 16));
  EXPECT_EQ(seen & 0x1F, c.flags_first ? c.ccr_after : c.ccr_before) << out;
}

const OrderCase kOrderCases[] = {
    {"AndL", 0xC390, 0, 0, V, Z, true},                 // AND.L D1,(A0)
    {"AndiW", 0x0250, 0x8000, 0, Z, N, true},           // ANDI.W #$8000,(A0)
    {"TasB", 0x4AD0, 0, 0, Z | C, N, true},             // TAS (A0)
    {"OrL", 0x8390, 0, 0, V, N, false},                 // OR.L D1,(A0)
    {"OriB", 0x0010, 0x0001, 0, Z | V, N, false},       // ORI.B #1,(A0)
    {"EorW", 0xB350, 0, 0xFFFF, N | C, Z, false},       // EOR.W D1,(A0)
    {"EoriL", 0x0A90, 0x0000, 0, X | Z, X | N, false},  // EORI.L #0,(A0) (first word)
    {"NotL", 0x4690, 0, 0, N | V | C, Z, false},        // NOT.L (A0)
};

INSTANTIATE_TEST_SUITE_P(Cases, LogicFlagOrder, testing::ValuesIn(kOrderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ANDI, ORI, EORI to CCR: not privileged, upper SR byte untouched.
struct CcrCase {
  const char* name;
  uint16_t opcode, imm;
  uint32_t ccr_before, ccr_after;
};

class LogicImmediateToCcr : public testing::TestWithParam<CcrCase> {};

TEST_P(LogicImmediateToCcr, InUserMode) {
  const CcrCase& c = GetParam();
  reset_machine();
  m68k::sr_write(0x0000);  // user mode
  set_ccr(c.ccr_before);
  load_code({c.opcode, c.imm});
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(ccr(), c.ccr_after);
  EXPECT_EQ(m68k::sr_build() & 0xFF00, 0u);
  EXPECT_EQ(m68k::cpu.pc, kCodeAddress + 4);
  EXPECT_LE(m68k::cpu.flag_z, 1u);  // canonical after the CCR write
}

const CcrCase kCcrCases[] = {
    {"AndiZeroClearsAll", 0x023C, 0x0000, X | N | Z | V | C, 0},
    {"AndiKeepsSelected", 0x023C, 0x0015, X | N | Z | V | C, X | Z | C},
    {"AndiIgnoresUpperByte", 0x023C, 0xFF00, X | Z, 0},
    {"OriFourSetsZOnly", 0x003C, 0x0004, 0, Z},
    {"OriKeepsOthers", 0x003C, 0x0010, N | C, X | N | C},
    {"EoriInvertsAll", 0x0A3C, 0x001F, X | Z | C, N | V},
    {"EoriInvertsAllFromZero", 0x0A3C, 0x001F, 0, X | N | Z | V | C},
};

INSTANTIATE_TEST_SUITE_P(Cases, LogicImmediateToCcr, testing::ValuesIn(kCcrCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ANDI, ORI, EORI to SR in user mode: privilege violation before the
// extension word, so the stacked PC is the instruction itself.
class LogicImmediateToSrUser : public testing::TestWithParam<uint16_t> {};

TEST_P(LogicImmediateToSrUser, PrivilegeViolation) {
  reset_machine();
  machine::poke32(4 * m68k::kVectorPrivilege, 0x5000);
  m68k::sr_write(0x0000);  // user mode: A7 = USP, SSP parked in its slot
  set_ccr(N | C);
  load_code({GetParam(), 0x0700});
  EXPECT_EQ(step(), 1);
  EXPECT_EQ(m68k::cpu.pc, 0x5000u);
  EXPECT_EQ(areg(7), kSupervisorStack - 6);
  EXPECT_EQ(machine::peek16(kSupervisorStack - 6), N | C);  // SR before: user mode
  EXPECT_EQ(machine::peek32(kSupervisorStack - 4), kCodeAddress);
  EXPECT_EQ(m68k::cpu.sp_slot[0], kUserStack);
  EXPECT_EQ(m68k::sr_build(), 0x2000u | N | C);  // flags and mask unchanged
}

INSTANTIATE_TEST_SUITE_P(Opcodes, LogicImmediateToSrUser, testing::Values(0x027C, 0x007C, 0x0A7C));

// In supervisor mode: the new SR is masked to the model's bits and installed
// with the stack switch.
struct SrCase {
  const char* name;
  unsigned cpu_type;
  uint16_t opcode, imm;
  uint32_t sr_before, sr_after;
};

class LogicImmediateToSrSupervisor : public testing::TestWithParam<SrCase> {};

TEST_P(LogicImmediateToSrSupervisor, NewStatus) {
  const SrCase& c = GetParam();
  reset_machine(c.cpu_type);
  m68k::sr_write(c.sr_before);
  load_code({c.opcode, c.imm});
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(m68k::sr_build(), c.sr_after);
  EXPECT_EQ(m68k::cpu.pc, kCodeAddress + 4);
  if (c.sr_after & 0x2000) {
    EXPECT_EQ(areg(7), kSupervisorStack);
  } else {
    EXPECT_EQ(areg(7), kUserStack);
    EXPECT_EQ(m68k::cpu.sp_slot[4], kSupervisorStack);
  }
}

const SrCase kSrCases[] = {
    {"AndiToUserMode", m68k::kM68000, 0x027C, 0xDFFF, 0x2715, 0x0715},
    {"AndiLowersMask", m68k::kM68000, 0x027C, 0xF8FF, 0x271F, 0x201F},
    {"OriSetsTraceAndFlags", m68k::kM68000, 0x007C, 0x8011, 0x2700, 0xA711},
    {"OriAllMasked68000", m68k::kM68000, 0x007C, 0xFFFF, 0x2700, 0xA71F},
    {"OriKeepsT0On68020", m68k::kM68020, 0x007C, 0xEFFF, 0x2700, 0xE71F},
    {"EoriLeavesSupervisor", m68k::kM68000, 0x0A7C, 0x2004, 0x2704, 0x0700},
};

INSTANTIATE_TEST_SUITE_P(Cases, LogicImmediateToSrSupervisor, testing::ValuesIn(kSrCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Lowering the mask below a pending level takes the interrupt inside the
// instruction: the frame holds the new SR and the address after it.
TEST(LogicImmediateToSr, PendingInterruptTakenAtOnce) {
  reset_machine();
  machine::poke32(0x60 + 4 * 3, 0x6000);  // level 3 autovector
  m68k::cpu.pending_level = 0x300;
  load_code({0x027C, 0xF9FF});  // ANDI #$F9FF,SR: mask 7 -> 1
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(m68k::cpu.pc, 0x6000u);
  EXPECT_EQ(m68k::cpu.pending_level, 0u);
  EXPECT_EQ(m68k::cpu.int_mask, 0x300u);
  EXPECT_EQ(areg(7), kSupervisorStack - 6);
  EXPECT_EQ(machine::peek16(kSupervisorStack - 6), 0x2100u);
  EXPECT_EQ(machine::peek32(kSupervisorStack - 4), kCodeAddress + 4);
}

TEST(LogicImmediateToSr, PendingLevelAtMaskNotTaken) {
  reset_machine();
  m68k::cpu.pending_level = 0x300;
  load_code({0x027C, 0xFBFF});  // mask 7 -> 3
  step();
  EXPECT_EQ(m68k::cpu.pc, kCodeAddress + 4);
  EXPECT_EQ(m68k::cpu.pending_level, 0x300u);
}

}  // namespace
