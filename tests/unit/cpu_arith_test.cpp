// ADD, SUB, CMP and their address, quick and extended forms, NEG, NEGX,
// CLR: flag corner cases per size, the sticky Z of the extended forms, the
// A7 byte steps of the memory-pair forms, CLR's write-only access and the
// order of flag stores against memory writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "tests/unit/cpu_test_support.h"

using namespace cputest;
using m68k::areg;
using m68k::dreg;

namespace {

// Register-to-register arithmetic: D1 is the source, D0 the destination.
struct RegCase {
  const char* name;
  uint16_t opcode;
  uint32_t d0, d1, ccr_before;
  uint32_t d0_after, ccr_after;
};

class ArithRegister : public testing::TestWithParam<RegCase> {};

TEST_P(ArithRegister, ResultAndFlags) {
  const RegCase& c = GetParam();
  reset_machine();
  load_code({c.opcode});
  dreg(0) = c.d0;
  dreg(1) = c.d1;
  set_ccr(c.ccr_before);
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(dreg(0), c.d0_after);
  EXPECT_EQ(dreg(1), c.d1);
  EXPECT_EQ(ccr(), c.ccr_after);
  EXPECT_EQ(m68k::cpu.pc, kCodeAddress + 2);
}

constexpr uint16_t kAddB = 0xD001, kAddW = 0xD041, kAddL = 0xD081;
constexpr uint16_t kSubB = 0x9001, kSubW = 0x9041, kSubL = 0x9081;
constexpr uint16_t kCmpB = 0xB001, kCmpW = 0xB041, kCmpL = 0xB081;
constexpr uint16_t kAddxB = 0xD101, kAddxW = 0xD141, kAddxL = 0xD181;
constexpr uint16_t kSubxB = 0x9101, kSubxW = 0x9141, kSubxL = 0x9181;
constexpr uint16_t kNegB = 0x4400, kNegW = 0x4440, kNegL = 0x4480;
constexpr uint16_t kNegxB = 0x4000, kNegxW = 0x4040, kNegxL = 0x4080;
constexpr uint16_t kClrB = 0x4200, kClrW = 0x4240, kClrL = 0x4280;

const RegCase kRegCases[] = {
    // Carry and overflow out of each size; upper register bits stay.
    {"AddByteWraps", kAddB, 0x12345680, 0x80, 0, 0x12345600, X | Z | V | C},
    {"AddByteSignedOverflow", kAddB, 0x7F, 0x01, 0, 0x80, N | V},
    {"AddWordSignedOverflow", kAddW, 0xFFFF7FFF, 0x0001, 0, 0xFFFF8000, N | V},
    {"AddWordCarryToZero", kAddW, 0x0000FFFF, 0x0001, 0, 0, X | Z | C},
    {"AddLongCarryToZero", kAddL, 0xFFFFFFFF, 1, 0, 0, X | Z | C},
    {"AddLongSignedOverflow", kAddL, 0x7FFFFFFF, 1, 0, 0x80000000, N | V},
    {"AddLongBothNegative", kAddL, 0x80000000, 0x80000000, 0, 0, X | Z | V | C},
    // The long carry is the sum below an operand, the borrow the destination
    // below the source: the edges of those compares.
    {"AddLongCarryAllOnes", kAddL, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0xFFFFFFFE, X | N | C},
    {"AddLongZeroSourceNoCarry", kAddL, 0xFFFFFFFF, 0, X | C, 0xFFFFFFFF, N},
    {"SubLongEqualNoBorrow", kSubL, 0x80000000, 0x80000000, X | C, 0, Z},
    {"CmpLongBorrowAcrossSign", kCmpL, 0x7FFFFFFF, 0x80000000, 0, 0x7FFFFFFF, N | V | C},
    {"CmpLongUnsignedAboveNoBorrow", kCmpL, 0xFFFFFFFF, 1, C, 0xFFFFFFFF, N},
    {"SubWordBorrow", kSubW, 0x12340000, 1, 0, 0x1234FFFF, X | N | C},
    {"SubLongOverflow", kSubL, 0x80000000, 1, X | C, 0x7FFFFFFF, V},
    {"SubByteOverflow", kSubB, 0x80, 0x01, 0, 0x7F, V},
    {"SubLongBorrowOverflow", kSubL, 0x7FFFFFFF, 0xFFFFFFFF, 0, 0x80000000, X | N | V | C},
    // CMP: same flags as SUB, X kept, destination unchanged.
    {"CmpByteEqualKeepsX", kCmpB, 0x12345677, 0x77, X, 0x12345677, X | Z},
    {"CmpWordBorrowKeepsX", kCmpW, 0, 1, 0, 0, N | C},
    {"CmpLongOverflow", kCmpL, 0x80000000, 1, X, 0x80000000, X | V},
    // ADDX/SUBX: X is added in; Z is only ever cleared.
    {"AddxZeroKeepsZSet", kAddxB, 0, 0, Z, 0, Z},
    {"AddxZeroKeepsZClear", kAddxB, 0, 0, 0, 0, 0},
    {"AddxLongCarryInToZero", kAddxL, 0xFFFFFFFF, 0, X | Z, 0, X | Z | C},
    {"AddxLongCarryInZClear", kAddxL, 0xFFFFFFFF, 0, X, 0, X | C},
    {"AddxWordNonZeroClearsZ", kAddxW, 0x0001, 0x0001, X | Z, 0x0003, 0},
    {"AddxByteOverflowWithX", kAddxB, 0x7F, 0x00, X | Z, 0x80, N | V},
    {"SubxWordBorrowIn", kSubxW, 0, 0, X | Z, 0xFFFF, X | N | C},
    {"SubxLongZeroKeepsZ", kSubxL, 5, 4, X | Z, 0, Z},
    // NEG/NEGX: C and X for any nonzero operand (or X in, for NEGX).
    {"NegByteMinimum", kNegB, 0x80, 0, 0, 0x80, X | N | V | C},
    {"NegLongZero", kNegL, 0, 0, X | C | N, 0, Z},
    {"NegLongMinimum", kNegL, 0x80000000, 0, 0, 0x80000000, X | N | V | C},
    {"NegxLongZeroWithX", kNegxL, 0, 0, X | Z, 0xFFFFFFFF, X | N | C},
    {"NegxByteZeroKeepsZ", kNegxB, 0x1200, 0, Z, 0x1200, Z},
    {"NegxWordOneWithX", kNegxW, 1, 0, X, 0xFFFE, X | N | C},
    {"NegxWordMinimumNoX", kNegxW, 0x8000, 0, Z, 0x8000, X | N | V | C},
    // CLR keeps X and the register's bits above the size.
    {"ClrByteKeepsUpper", kClrB, 0xFFFFFFFF, 0, X | N | V | C, 0xFFFFFF00, X | Z},
    {"ClrWordKeepsUpper", kClrW, 0x12345678, 0, 0, 0x12340000, Z},
};

INSTANTIATE_TEST_SUITE_P(Cases, ArithRegister, testing::ValuesIn(kRegCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ADDA, SUBA, CMPA and the quick forms to An: whole-register arithmetic,
// word sources sign-extended; only CMPA touches the flags.
struct AddressCase {
  const char* name;
  uint16_t opcode;
  uint32_t a0, d1;
  uint32_t a0_after, ccr_after;  // the CCR before is always X | V
};

class ArithAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(ArithAddress, WholeRegister) {
  const AddressCase& c = GetParam();
  reset_machine();
  load_code({c.opcode});
  areg(0) = c.a0;
  dreg(1) = c.d1;
  set_ccr(X | V);
  step();
  EXPECT_EQ(areg(0), c.a0_after);
  EXPECT_EQ(ccr(), c.ccr_after);
}

const AddressCase kAddressCases[] = {
    {"AddaWordSignExtends", 0xD0C1, 0x00010000, 0x0000FFFF, 0x0000FFFF, X | V},
    {"AddaLong", 0xD1C1, 0xFFFFFFFF, 1, 0, X | V},
    {"SubaWordSignExtends", 0x90C1, 0x00010000, 0x00008000, 0x00018000, X | V},
    {"SubaLong", 0x91C1, 0, 1, 0xFFFFFFFF, X | V},
    {"CmpaWordSignExtends", 0xB0C1, 0xFFFF8000, 0x00008000, 0xFFFF8000, X | Z},
    {"CmpaWordPositive", 0xB0C1, 0x00008000, 0x00008000, 0x00008000, X | C},
    {"CmpaLongOverflow", 0xB1C1, 0x80000000, 1, 0x80000000, X | V},
    {"AddqWordEightCarriesIntoHighWord", 0x5048, 0x0000FFFF, 0, 0x00010007, X | V},
    {"AddqLongOne", 0x5288, 0xFFFFFFFF, 0, 0, X | V},
    {"SubqLongOneFromZero", 0x5388, 0, 0, 0xFFFFFFFF, X | V},
    {"SubqWordBorrowsFromHighWord", 0x5548, 0x00010001, 0, 0x0000FFFF, X | V},
};

INSTANTIATE_TEST_SUITE_P(Cases, ArithAddress, testing::ValuesIn(kAddressCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The quick field 0 stands for 8; 1 to 7 for themselves.
TEST(ArithQuickValue, FieldToValue) {
  for (uint32_t field = 0; field < 8; ++field) {
    const uint32_t q = field == 0 ? 8 : field;
    reset_machine();
    // ADDQ.L #q,D0 then SUBQ.B #q,D1.
    load_code(
        {static_cast<uint16_t>(0x5080 | field << 9), static_cast<uint16_t>(0x5101 | field << 9)});
    dreg(0) = 0x100;
    dreg(1) = 0xAB00;
    step();
    step();
    EXPECT_EQ(dreg(0), 0x100 + q) << "field " << field;
    EXPECT_EQ(dreg(1), 0xAB00 | ((0u - q) & 0xFF)) << "field " << field;
    EXPECT_EQ(ccr(), X | N | C) << "field " << field;
  }
}

// -(Ay),-(Ax) and (Ay)+,(Ax)+ byte forms: A7 steps by 2, every other register
// by 1; the source is stepped and read before the destination.
struct PairCase {
  const char* name;
  uint16_t opcode;
  uint32_t src_addr, dst_addr;  // where the operands are read
  uint32_t a0_after, a1_after, a7_after;
  enum Kind { kAdd, kSub, kCmp } kind;
};

constexpr uint32_t kA0 = 0x3000, kA1 = 0x3100, kA7 = kSupervisorStack;

uint8_t pattern(uint32_t addr) {
  return static_cast<uint8_t>((addr * 37) ^ 0x5A);
}

class ArithMemoryPair : public testing::TestWithParam<PairCase> {};

TEST_P(ArithMemoryPair, StepsAndResult) {
  const PairCase& c = GetParam();
  reset_machine();
  for (uint32_t a = 0x2F00; a < 0x3200; ++a) machine::poke8(a, pattern(a));
  for (uint32_t a = kA7 - 0x10; a < kA7 + 0x10; ++a) machine::poke8(a, pattern(a));
  load_code({c.opcode});
  areg(0) = kA0;
  areg(1) = kA1;
  set_ccr(Z);
  step();
  EXPECT_EQ(areg(0), c.a0_after);
  EXPECT_EQ(areg(1), c.a1_after);
  EXPECT_EQ(areg(7), c.a7_after);
  const uint32_t s = pattern(c.src_addr), d = pattern(c.dst_addr);
  uint32_t expected = d;
  if (c.kind == PairCase::kAdd) expected = (s + d) & 0xFF;
  if (c.kind == PairCase::kSub) expected = (d - s) & 0xFF;
  EXPECT_EQ(machine::peek8(c.dst_addr), expected);
  if (c.kind == PairCase::kCmp)
    EXPECT_EQ(ccr() & Z, s == d ? Z : 0u);
  else
    EXPECT_EQ(ccr() & Z, expected == 0 ? Z : 0u);
}

const PairCase kPairCases[] = {
    // ADDX.B -(A7),-(A0): A7 by 2, A0 by 1.
    {"AddxA7Source", 0xD10F, kA7 - 2, kA0 - 1, kA0 - 1, kA1, kA7 - 2, PairCase::kAdd},
    {"AddxA7Destination", 0xDF08, kA0 - 1, kA7 - 2, kA0 - 1, kA1, kA7 - 2, PairCase::kAdd},
    {"AddxA7Both", 0xDF0F, kA7 - 2, kA7 - 4, kA0, kA1, kA7 - 4, PairCase::kAdd},
    {"AddxSameRegister", 0xD108, kA0 - 1, kA0 - 2, kA0 - 2, kA1, kA7, PairCase::kAdd},
    {"AddxOtherRegisters", 0xD109, kA1 - 1, kA0 - 1, kA0 - 1, kA1 - 1, kA7, PairCase::kAdd},
    {"SubxA7Source", 0x910F, kA7 - 2, kA0 - 1, kA0 - 1, kA1, kA7 - 2, PairCase::kSub},
    {"SubxA7Both", 0x9F0F, kA7 - 2, kA7 - 4, kA0, kA1, kA7 - 4, PairCase::kSub},
    // CMPM.B (Ay)+,(Ax)+.
    {"CmpmA7Source", 0xB10F, kA7, kA0, kA0 + 1, kA1, kA7 + 2, PairCase::kCmp},
    {"CmpmA7Destination", 0xBF08, kA0, kA7, kA0 + 1, kA1, kA7 + 2, PairCase::kCmp},
    {"CmpmA7Both", 0xBF0F, kA7, kA7 + 2, kA0, kA1, kA7 + 4, PairCase::kCmp},
    {"CmpmSameRegister", 0xB108, kA0, kA0 + 1, kA0 + 2, kA1, kA7, PairCase::kCmp},
};

INSTANTIATE_TEST_SUITE_P(Cases, ArithMemoryPair, testing::ValuesIn(kPairCases),
                         [](const auto& info) { return std::string(info.param.name); });

// CLR to memory writes exactly its size and never reads: the old content
// does not matter, and a read of the I/O region (which would end the run)
// does not happen.
class ArithClrMemory : public testing::TestWithParam<uint16_t> {};

TEST_P(ArithClrMemory, WritesOnlyItsSize) {
  const uint16_t opcode = GetParam();  // CLR.x (A0)
  const uint32_t size = opcode == 0x4210 ? 1 : opcode == 0x4250 ? 2 : 4;
  for (uint32_t old : {0x00u, 0xFFu, 0x80u}) {
    reset_machine();
    for (uint32_t a = 0x3000; a < 0x3008; ++a) machine::poke8(a, old);
    load_code({opcode});
    areg(0) = 0x3002;
    set_ccr(X | N | V | C);
    step();
    for (uint32_t a = 0x3000; a < 0x3008; ++a) {
      const bool inside = a >= 0x3002 && a < 0x3002 + size;
      EXPECT_EQ(machine::peek8(a), inside ? 0 : old) << std::hex << a;
    }
    EXPECT_EQ(ccr(), X | Z);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ArithClrMemory, testing::Values(0x4210, 0x4250, 0x4290));

TEST(ArithClrNoRead, IoAddressIsNeverRead) {
  // CLR.W $FFFA42.W: that address reads as an unhandled I/O access, and a
  // write to it continues at the bus-error vector.
  reset_machine();
  machine::poke32(8, 0x4000);
  load_code({0x4278, 0xFA42});
  testing::internal::CaptureStdout();
  step();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.find("UNHANDLED I/O READ"), std::string::npos) << out;
  EXPECT_EQ(machine::quit_flag, 0u);
  EXPECT_EQ(m68k::cpu.pc, 0x4000u);  // the write reached the bus
}

// Flag stores relative to the memory write, observed from inside the write:
// the fault channel at 0xFFFF00 dumps the live SR. The read of that address
// yields all ones.
struct OrderCase {
  const char* name;
  uint16_t opcode;  // operates on (A0), source D1 where there is one
  uint32_t d1, ccr_before, ccr_after;
  bool flags_first;
};

class ArithFlagOrder : public testing::TestWithParam<OrderCase> {};

unsigned sr_seen_by_write(const std::string& out) {
  const size_t at = out.find("SSR=");
  if (at == std::string::npos) return 0xFFFFFFFF;
  return static_cast<unsigned>(std::stoul(out.substr(at + 4, 4), nullptr, 16));
}

TEST_P(ArithFlagOrder, AgainstWrite) {
  const OrderCase& c = GetParam();
  reset_machine();
  load_code({c.opcode});
  areg(0) = 0xFFFF00;
  dreg(1) = c.d1;
  set_ccr(c.ccr_before);
  testing::internal::CaptureStdout();
  step();
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_NE(c.ccr_before, c.ccr_after);
  EXPECT_EQ(ccr(), c.ccr_after);
  EXPECT_EQ(sr_seen_by_write(out) & 0x1F, c.flags_first ? c.ccr_after : c.ccr_before) << out;
}

const OrderCase kOrderCases[] = {
    {"AddL", 0xD390, 1, 0, X | Z | C, true},       // ADD.L D1,(A0)
    {"SubL", 0x9390, 1, 0, N, true},               // SUB.L D1,(A0)
    {"AddqW", 0x5250, 0, N, X | Z | C, true},      // ADDQ.W #1,(A0)
    {"NegL", 0x4490, 0, 0, X | C, true},           // NEG.L (A0)
    {"NegxB", 0x4010, 0, X | Z, X | Z | C, true},  // NEGX.B (A0)
    {"ClrL", 0x4290, 0, N | V | C, Z, false},      // CLR.L (A0)
    {"ClrB", 0x4210, 0, X | N, X | Z, false},      // CLR.B (A0)
};

INSTANTIATE_TEST_SUITE_P(Cases, ArithFlagOrder, testing::ValuesIn(kOrderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The immediate is fetched before the destination's displacement; CMPI
// leaves memory alone; ADD.B #imm uses only the low byte of its word.
TEST(ArithImmediateForms, ExtensionWordOrder) {
  reset_machine();
  areg(0) = 0x3000;
  machine::poke32(0x3004, 0x10000001);
  machine::poke16(0x3008, 0x1234);
  load_code({0x06A8, 0x0111, 0x2222, 0x0004,  // ADDI.L #$01112222,4(A0)
             0x0C68, 0x1234, 0x0008,          // CMPI.W #$1234,8(A0)
             0x0600, 0xAA01,                  // ADDI.B #$01,D0 (upper byte ignored)
             0x0480, 0x0000, 0x0001});        // SUBI.L #1,D0
  dreg(0) = 0xFF;
  step();
  EXPECT_EQ(machine::peek32(0x3004), 0x11112223u);
  EXPECT_EQ(m68k::cpu.pc, kCodeAddress + 8);
  step();
  EXPECT_EQ(ccr() & Z, Z);
  EXPECT_EQ(machine::peek16(0x3008), 0x1234u);
  step();
  EXPECT_EQ(dreg(0), 0u);
  EXPECT_EQ(ccr(), X | Z | C);
  step();
  EXPECT_EQ(dreg(0), 0xFFFFFFFFu);
  EXPECT_EQ(ccr(), X | N | C);
  EXPECT_EQ(m68k::cpu.pc, kCodeAddress + 24);
}

}  // namespace

namespace {

// A failed read in the I/O region answers all ones in 32 bits; the byte
// operand must still be 0xFF, or the widened formulas lose the borrow.
TEST(ArithIoRead, FailedByteReadIsAnOrdinaryByteOperand) {
  reset_machine();
  load_code({0x4010});  // NEGX.B (A0)
  areg(0) = 0xFF8000;
  set_ccr(0);
  testing::internal::CaptureStdout();
  step();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(machine::quit_flag, 1u);
  EXPECT_EQ(ccr(), X | C);  // 0 - 0xFF = 0x01 with a borrow
}

}  // namespace
