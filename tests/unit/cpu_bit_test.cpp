// Bit operations: bit-number reduction (mod 32 on a data register, mod 8 on
// a byte), the immediate bit-number word coming first, the A7 byte step, and
// Z as the only flag that changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"

using namespace cputest;
using m68k::areg;
using m68k::cpu;
using m68k::dreg;

namespace {

enum BitOp : uint16_t { kTst = 0, kChg = 1, kClr = 2, kSet = 3 };

// Bit number in Dn (bits 9-11), destination in the mode/register field.
constexpr uint16_t with_reg(BitOp op, unsigned dn, unsigned ea) {
  return static_cast<uint16_t>(0x0100 | dn << 9 | op << 6 | ea);
}
// Bit number in the word after the opcode.
constexpr uint16_t with_imm(BitOp op, unsigned ea) {
  return static_cast<uint16_t>(0x0800 | op << 6 | ea);
}

constexpr uint32_t kData = 0x2000;
// All of X, N, V and C set, or all clear: whichever it is must survive.
constexpr uint32_t kOthers = X | N | V | C;

struct BitCase {
  const char* name;
  uint16_t code[4];
  unsigned length;  // words
  uint32_t d0, d1;
  int32_t a0;        // offset of A0 from the data byte
  uint8_t byte;      // at kData
  uint32_t want_d0;  // destination register (Dn cases) or unchanged
  uint8_t want_byte;
  bool want_z;
  int32_t want_a0;
};

void PrintTo(const BitCase& c, std::ostream* os) {
  *os << c.name;
}

const BitCase kCases[] = {
    // name, code, words, D0, D1, A0 (from kData), byte, D0 after, byte after, Z, A0 after
    // Data register destination: bit number mod 32.
    {"BtstBit33Set", {with_reg(kTst, 1, 0x00)}, 1, 2, 33, 0, 0, 2, 0, false, 0},
    {"BtstBit33Clear", {with_reg(kTst, 1, 0x00)}, 1, 0xFFFFFFFD, 33, 0, 0, 0xFFFFFFFD, 0, true, 0},
    {"BclrImm31", {with_imm(kClr, 0x00), 31}, 2, 0x80000000, 0, 0, 0, 0, 0, false, 0},
    {"BchgBit17", {with_reg(kChg, 1, 0x00)}, 1, 0x0000FFFF, 17, 0, 0, 0x0002FFFF, 0, true, 0},
    {"BsetImm40IsBit8", {with_imm(kSet, 0x00), 40}, 2, 0, 0, 0, 0, 0x100, 0, true, 0},
    {"BsetOnSetBit", {with_reg(kSet, 1, 0x00)}, 1, 0x40000000, 30, 0, 0, 0x40000000, 0, false, 0},
    // Memory destination: one byte, bit number mod 8.
    {"BsetIndBit9", {with_reg(kSet, 1, 0x10)}, 1, 0, 9, 0, 0x00, 0, 0x02, true, 0},
    {"BsetIndBit9WasSet", {with_reg(kSet, 1, 0x10)}, 1, 0, 9, 0, 0x02, 0, 0x02, false, 0},
    {"BclrImmIndBit15", {with_imm(kClr, 0x10), 15}, 2, 0, 0, 0, 0xFF, 0, 0x7F, false, 0},
    {"BchgImmPostInc", {with_imm(kChg, 0x18), 0}, 2, 0, 0, 0, 0x01, 0, 0x00, false, 1},
    {"BtstPreDec", {with_reg(kTst, 1, 0x20)}, 1, 0, 4, 1, 0xEF, 0, 0xEF, true, 0},
    {"BchgDisp", {with_reg(kChg, 1, 0x28), 0xFFFF}, 2, 0, 7, 1, 0x80, 0, 0x00, false, 1},
    // The immediate bit number comes before the index word.
    {"BsetImmIndex", {with_imm(kSet, 0x30), 3, 0x0802}, 3, 0, 0, -2, 0x00, 0, 0x08, true, -2},
    {"BclrAbsW", {with_reg(kClr, 1, 0x38), kData}, 2, 0, 0, 0, 0x01, 0, 0x00, false, 0},
    // PC-relative: the base is the displacement word's own address.
    {"BtstPcDisp", {with_reg(kTst, 1, 0x3A), 0x0FFE}, 2, 0, 5, 0, 0x20, 0, 0x20, false, 0},
    {"BtstImmPcDisp", {with_imm(kTst, 0x3A), 5, 0x0FFC}, 3, 0, 0, 0, 0xDF, 0, 0xDF, true, 0},
    {"BtstPcIndex", {with_imm(kTst, 0x3B), 5, 0x0800}, 3, 0xFFC, 0, 0, 0x20, 0xFFC, 0x20, false, 0},
    {"BtstImmAbsL", {with_imm(kTst, 0x39), 6, 0, kData}, 4, 0, 0, 0, 0x40, 0, 0x40, false, 0},
    // BTST Dn,#imm: bit (Dn mod 8) of the immediate byte.
    {"BtstImmByteBit10", {with_reg(kTst, 0, 0x3C), 0x04}, 2, 10, 0, 0, 0, 10, 0, false, 0},
    {"BtstImmByteBit10Off", {with_reg(kTst, 0, 0x3C), 0xFB}, 2, 10, 0, 0, 0, 10, 0, true, 0},
};

class CpuBit : public ::testing::TestWithParam<BitCase> {};

TEST_P(CpuBit, TestsAndChangesOneBit) {
  const BitCase& t = GetParam();
  for (uint32_t others : {0u, kOthers}) {
    SCOPED_TRACE(others);
    reset_machine();
    load_code({t.code[0], t.code[1], t.code[2], t.code[3]});
    dreg(0) = t.d0;
    dreg(1) = t.d1;
    areg(0) = kData + t.a0;
    machine::poke8(kData, t.byte);
    set_ccr(others | (t.want_z ? 0 : Z));  // Z starts opposite to the answer
    EXPECT_EQ(step(), 0);
    EXPECT_EQ(dreg(0), t.want_d0);
    EXPECT_EQ(machine::peek8(kData), t.want_byte);
    EXPECT_EQ(ccr(), others | (t.want_z ? Z : 0));
    EXPECT_EQ(areg(0), kData + t.want_a0);
    EXPECT_EQ(cpu.pc, kCodeAddress + 2 * t.length);
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, CpuBit, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Byte operands through A7 keep the stack pointer even.
struct StackCase {
  const char* name;
  uint16_t code[2];
  int32_t a7_step;  // A7 after, from kSupervisorStack
  int32_t byte_at;  // offset of the operand byte
  uint8_t byte, want_byte;
};

void PrintTo(const StackCase& c, std::ostream* os) {
  *os << c.name;
}

const StackCase kStackCases[] = {
    // name, code, A7 step, operand offset, byte, byte after
    {"BchgImm0PostIncA7", {with_imm(kChg, 0x1F), 0}, 2, 0, 0x10, 0x11},
    {"BsetD1PreDecA7", {with_reg(kSet, 1, 0x27)}, -2, -2, 0x00, 0x08},
    {"BclrImmPreDecA7", {with_imm(kClr, 0x27), 4}, -2, -2, 0xFF, 0xEF},
    {"BtstD1PostIncA7", {with_reg(kTst, 1, 0x1F)}, 2, 0, 0x08, 0x08},
};

class CpuBitStack : public ::testing::TestWithParam<StackCase> {};

TEST_P(CpuBitStack, StepsByTwo) {
  const StackCase& t = GetParam();
  reset_machine();
  load_code({t.code[0], t.code[1]});
  dreg(1) = 3;
  areg(7) = kSupervisorStack;
  machine::poke8(kSupervisorStack + t.byte_at, t.byte);
  step();
  EXPECT_EQ(areg(7), kSupervisorStack + t.a7_step);
  EXPECT_EQ(machine::peek8(kSupervisorStack + t.byte_at), t.want_byte);
}

INSTANTIATE_TEST_SUITE_P(A7, CpuBitStack, ::testing::ValuesIn(kStackCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
