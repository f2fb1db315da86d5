// Word multiply and divide: boundaries, overflow and the zero-divide frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpu/exceptions.h"
#include "tests/unit/cpu_test_support.h"

using namespace cputest;
using m68k::areg;
using m68k::dreg;

namespace {

constexpr uint16_t kMulu = 0xC0C1, kMuls = 0xC1C1, kDivu = 0x80C1, kDivs = 0x81C1;  // <op> D1,D0
constexpr uint32_t kData = 0x3000, kHandler = 0x4000;

auto by_name = [](const auto& info) { return std::string(info.param.name); };

void load(const std::vector<uint16_t>& words) {
  for (size_t i = 0; i < words.size(); ++i)
    machine::poke16(kCodeAddress + 2 * static_cast<uint32_t>(i), words[i]);
  m68k::cpu.pc = kCodeAddress;
}

struct ArithCase {
  const char* name;
  uint16_t opcode;
  uint32_t d1, d0, ccr_in, d0_out, ccr_out;  // only D1's low word is the source
};

const ArithCase kArithCases[] = {
    {"MuluLargestWords", kMulu, 0x5A5AFFFF, 0xFFFF, X | Z | V | C, 0xFFFE0001, X | N},
    {"MulsMinusOneSquared", kMuls, 0xFFFF, 0x1234FFFF, N | V | C, 1, 0},
    {"MulsMostNegativeSquared", kMuls, 0x8000, 0x8000, N, 0x40000000, 0},
    {"MuluZeroProductSetsZ", kMulu, 0x1234, 0xFFFF0000, N, 0, Z},
    {"DivuOverflowKeepsDxAndXNZ", kDivu, 1, 0x10000, X | N | Z, 0x10000, X | N | Z | V},
    {"DivuOverflowClearsCarry", kDivu, 1, 0x10000, C, 0x10000, V},
    {"DivuHundredBySeven", kDivu, 0x12340007, 100, X | V | C, 0x0002000E, X},
    {"DivuZeroQuotientSetsZ", kDivu, 7, 5, 0, 0x00050000, Z},
    {"DivuDividendIsUnsigned", kDivu, 0xFFFF, 0x80000000, 0, 0x80008000, N},
    {"DivsMinusSevenByTwo", kDivs, 2, 0xFFFFFFF9, 0, 0xFFFFFFFD, N},
    {"DivsRemainderTakesDividendSign", kDivs, 7, 0xFFFFFF9C, 0, 0xFFFEFFF2, N},
    {"DivsQuotientMinus32768Fits", kDivs, 1, 0xFFFF8000, 0, 0x00008000, N},
    {"DivsQuotient32768Overflows", kDivs, 1, 0x8000, X | C, 0x8000, X | V},
    // Quotient 2^31: an overflow like any other, never Dx = 0.
    {"DivsMinSignedByMinusOneOverflows", kDivs, 0xFFFF, 0x80000000, 0, 0x80000000, V},
    {"DivsMinSignedByMinusOneKeepsXNZClearsC", kDivs, 0xFFFF, 0x80000000, X | N | Z | C, 0x80000000,
     X | N | Z | V},
};

class MulDivArith : public ::testing::TestWithParam<ArithCase> {};

TEST_P(MulDivArith, ResultAndFlags) {
  const ArithCase& c = GetParam();
  reset_machine();
  dreg(0) = c.d0;
  dreg(1) = c.d1;
  set_ccr(c.ccr_in);
  load({c.opcode});
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(dreg(0), c.d0_out);
  EXPECT_EQ(ccr(), c.ccr_out);
  EXPECT_EQ(m68k::cpu.pc, kCodeAddress + 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, MulDivArith, ::testing::ValuesIn(kArithCases), by_name);

struct ZeroDivideCase {
  const char* name;
  std::vector<uint16_t> code;
  uint32_t d1, stacked_pc, a0_out;  // A0 starts at kData
};

const ZeroDivideCase kZeroDivideCases[] = {
    {"DivsRegisterHighWordIgnored", {kDivs}, 0x00010000, kCodeAddress + 2, kData},
    {"DivuPostIncrementHasMoved", {0x80D8}, 0, kCodeAddress + 2, kData + 2},
    {"DivsPreDecrementHasMoved", {0x81E0}, 0, kCodeAddress + 2, kData - 2},
    {"DivuAbsoluteLongStacksPcAfterExtension", {0x80F9, 0, kData}, 0, kCodeAddress + 6, kData},
};

class MulDivZeroDivide : public ::testing::TestWithParam<ZeroDivideCase> {};

TEST_P(MulDivZeroDivide, StacksNextPcAndLeavesDxAndFlags) {
  const ZeroDivideCase& c = GetParam();
  reset_machine();
  machine::poke32(4 * m68k::kVectorZeroDivide, kHandler);
  areg(0) = kData;  // the words at kData - 2 and kData are zero
  dreg(0) = 0x12345678;
  dreg(1) = c.d1;
  set_ccr(N | V | C);
  uint32_t sr_before = m68k::sr_build();
  load(c.code);
  EXPECT_EQ(step(), 1);  // the exception entry's charge
  EXPECT_EQ(m68k::cpu.pc, kHandler);
  EXPECT_EQ(areg(7), kSupervisorStack - 6);
  EXPECT_EQ(machine::peek16(areg(7)), sr_before);
  EXPECT_EQ(machine::peek32(areg(7) + 2), c.stacked_pc);
  EXPECT_EQ(dreg(0), 0x12345678u);
  EXPECT_EQ(ccr(), N | V | C);
  EXPECT_EQ(areg(0), c.a0_out);
}

INSTANTIATE_TEST_SUITE_P(Cases, MulDivZeroDivide, ::testing::ValuesIn(kZeroDivideCases), by_name);

}  // namespace
