// Packed-decimal add, subtract and negate: decimal correction, the flag
// rules (Z only cleared, X as carry in), and the A7 predecrement forms.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/cpu_test_support.h"

using namespace cputest;
using m68k::areg;
using m68k::dreg;

namespace {

auto by_name = [](const auto& info) { return std::string(info.param.name); };

struct DecimalCase {
  const char* name;
  uint16_t opcode;  // <op> D1,D0, or NBCD D0
  uint32_t s, d, ccr_in, result, ccr_out;
};

constexpr uint16_t kAbcd = 0xC101, kSbcd = 0x8101, kNbcd = 0x4800;

const DecimalCase kDecimalCases[] = {
    {"AbcdCarryIntoTensSetsNV", kAbcd, 0x38, 0x45, Z, 0x83, N | V},
    {"AbcdHundredWrapsKeepsZ", kAbcd, 0x50, 0x50, Z, 0x00, X | C | Z},
    {"AbcdHundredWrapsDoesNotSetZ", kAbcd, 0x50, 0x50, 0, 0x00, X | C},
    {"AbcdAddsX", kAbcd, 0x00, 0x09, X, 0x10, 0},
    {"SbcdNoBorrow", kSbcd, 0x38, 0x45, N | V | C, 0x07, 0},
    {"SbcdSubtractsX", kSbcd, 0x38, 0x45, X, 0x06, 0},
    {"SbcdBorrowFromZero", kSbcd, 0x01, 0x00, Z, 0x99, X | C | N},
    {"SbcdZeroResultKeepsZ", kSbcd, 0x42, 0x42, Z | C, 0x00, Z},
    // NBCD of zero with X clear borrows nothing: N reads set, Z untouched.
    {"NbcdZeroWithoutXKeepsZ", kNbcd, 0, 0x00, Z | V | C, 0x00, N | Z},
    {"NbcdZeroWithoutXLeavesZClear", kNbcd, 0, 0x00, 0, 0x00, N},
    {"NbcdZeroWithX", kNbcd, 0, 0x00, X | Z, 0x99, X | C | N},
    {"NbcdTen", kNbcd, 0, 0x10, 0, 0x90, X | C | N},
    {"NbcdNinetyNine", kNbcd, 0, 0x99, Z, 0x01, X | C},
};

class BcdDecimal : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(BcdDecimal, RegisterFormKeepsUpperBits) {
  const DecimalCase& c = GetParam();
  reset_machine();
  dreg(0) = 0xAABBCC00 | c.d;
  dreg(1) = 0x11223300 | c.s;
  set_ccr(c.ccr_in);
  load_code({c.opcode});
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(dreg(0), 0xAABBCC00 | c.result);
  EXPECT_EQ(ccr(), c.ccr_out);
}

INSTANTIATE_TEST_SUITE_P(Cases, BcdDecimal, ::testing::ValuesIn(kDecimalCases), by_name);

// A1 = 0x3010, A2 = 0x3020, A7 = 0x3030 before; 0x15 at the source address,
// 0x27 at the destination address. NBCD rows have no source (0x01 -> 0x99).
struct StepCase {
  const char* name;
  uint16_t opcode;
  uint32_t src_addr, dst_addr, a1_out, a2_out, a7_out, result;
};

const StepCase kStepCases[] = {
    {"AbcdGeneralRegisters", 0xC509, 0x300F, 0x301F, 0x300F, 0x301F, 0x3030, 0x42},
    {"AbcdSameRegisterTwice", 0xC309, 0x300F, 0x300E, 0x300E, 0x3020, 0x3030, 0x42},
    {"AbcdSourceA7", 0xC50F, 0x302E, 0x301F, 0x3010, 0x301F, 0x302E, 0x42},
    {"AbcdDestinationA7", 0xCF09, 0x300F, 0x302E, 0x300F, 0x3020, 0x302E, 0x42},
    {"AbcdBothA7", 0xCF0F, 0x302E, 0x302C, 0x3010, 0x3020, 0x302C, 0x42},
    {"SbcdSourceA7", 0x850F, 0x302E, 0x301F, 0x3010, 0x301F, 0x302E, 0x12},
    {"SbcdDestinationA7", 0x8F09, 0x300F, 0x302E, 0x300F, 0x3020, 0x302E, 0x12},
    {"SbcdBothA7", 0x8F0F, 0x302E, 0x302C, 0x3010, 0x3020, 0x302C, 0x12},
    {"NbcdPostIncrementA7ByTwo", 0x481F, 0, 0x3030, 0x3010, 0x3020, 0x3032, 0x99},
    {"NbcdPreDecrementA7ByTwo", 0x4827, 0, 0x302E, 0x3010, 0x3020, 0x302E, 0x99},
    {"NbcdPreDecrementA2ByOne", 0x4822, 0, 0x301F, 0x3010, 0x301F, 0x3030, 0x99},
};

class BcdSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(BcdSteps, StepsRegistersAndWritesDestination) {
  const StepCase& c = GetParam();
  reset_machine();
  areg(1) = 0x3010;
  areg(2) = 0x3020;
  areg(7) = 0x3030;
  if (c.src_addr) machine::poke8(c.src_addr, 0x15);
  machine::poke8(c.dst_addr, c.src_addr ? 0x27 : 0x01);
  set_ccr(0);
  load_code({c.opcode});
  step();
  EXPECT_EQ(areg(1), c.a1_out);
  EXPECT_EQ(areg(2), c.a2_out);
  EXPECT_EQ(areg(7), c.a7_out);
  EXPECT_EQ(machine::peek8(c.dst_addr), c.result);
}

INSTANTIATE_TEST_SUITE_P(Cases, BcdSteps, ::testing::ValuesIn(kStepCases), by_name);

}  // namespace
