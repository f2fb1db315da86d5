// Shifts and rotates: the count edges (0, equal to and beyond the size), the
// ASL overflow rule, the 33-bit extend ring of the long rotates through X,
// the budget charge of register counts, and the memory word forms.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"

using namespace cputest;
using m68k::cpu;
using m68k::dreg;

namespace {

enum Kind : uint16_t { kAs = 0, kLs = 1, kRox = 2, kRo = 3 };
enum Dir : uint16_t { kRight = 0, kLeft = 1 };
enum SizeField : uint16_t { kB = 0, kW = 1, kL = 2 };

// Dy shifted by the count in Dx.
constexpr uint16_t by_reg(Kind k, Dir d, SizeField s, unsigned dx, unsigned dy) {
  return static_cast<uint16_t>(0xE020 | dx << 9 | d << 8 | s << 6 | k << 3 | dy);
}
// Dy shifted by an immediate count 1 to 8 (8 encodes as 0).
constexpr uint16_t by_imm(Kind k, Dir d, SizeField s, unsigned count, unsigned dy) {
  return static_cast<uint16_t>(0xE000 | (count & 7) << 9 | d << 8 | s << 6 | k << 3 | dy);
}
// A memory word shifted by one; ea is the mode/register field.
constexpr uint16_t on_memory(Kind k, Dir d, unsigned ea) {
  return static_cast<uint16_t>(0xE0C0 | k << 9 | d << 8 | ea);
}

// --- Register forms: the documented edge cases ------------------------------

struct RegisterCase {
  const char* name;
  uint16_t opcode;  // count register D0 (register forms), operand D1
  uint32_t d0, d1, ccr_in;
  uint32_t want_d1, want_ccr;
  int32_t want_charge;
};

void PrintTo(const RegisterCase& c, std::ostream* os) {
  *os << c.name;
}

const RegisterCase kRegisterCases[] = {
    // name, opcode, D0, D1, CCR before, D1 after, CCR after, budget charge
    {"LsrLongBy32", by_reg(kLs, kRight, kL, 0, 1), 32, 0x80000000, 0, 0, X | Z | C, 1},
    {"LsrLongBy33", by_reg(kLs, kRight, kL, 0, 1), 33, 0x80000000, X, 0, Z, 1},
    {"LslWordBy16", by_reg(kLs, kLeft, kW, 0, 1), 16, 0xABCD0001, 0, 0xABCD0000, X | Z | C, 1},
    {"LslWordBy17", by_reg(kLs, kLeft, kW, 0, 1), 17, 0xABCD0001, X, 0xABCD0000, Z, 1},
    {"AsrByteBy100", by_reg(kAs, kRight, kB, 0, 1), 100, 0x12345680, 0, 0x123456FF, X | N | C, 1},
    {"AsrLongBy32", by_reg(kAs, kRight, kL, 0, 1), 32, 0x80000000, 0, 0xFFFFFFFF, X | N | C, 1},
    {"AslByteImm8", by_imm(kAs, kLeft, kB, 8, 1), 0, 0x000000FF, 0, 0, X | Z | V | C, 0},
    {"AslWordImm1SignFlips", by_imm(kAs, kLeft, kW, 1, 1), 0, 0x4000, 0, 0x8000, N | V, 0},
    {"AslWordImm1SignKept", by_imm(kAs, kLeft, kW, 1, 1), 0, 0xC000, 0, 0x8000, X | N | C, 0},
    {"AslWordImm2FlipsLater", by_imm(kAs, kLeft, kW, 2, 1), 0, 0xC000, 0, 0, X | Z | V | C, 0},
    {"AslLongBy32", by_reg(kAs, kLeft, kL, 0, 1), 32, 1, 0, 0, X | Z | V | C, 1},
    {"RolByteBy8", by_reg(kRo, kLeft, kB, 0, 1), 8, 0x81, 0, 0x81, N | C, 1},
    {"RolByteBy8KeepsX", by_reg(kRo, kLeft, kB, 0, 1), 8, 0x81, X, 0x81, X | N | C, 1},
    {"RorLongBy32", by_reg(kRo, kRight, kL, 0, 1), 32, 0x80000001, 0, 0x80000001, N | C, 1},
    {"RolLongBy33", by_reg(kRo, kLeft, kL, 0, 1), 33, 0x80000000, 0, 1, C, 1},
    {"RoxrByteBy9", by_reg(kRox, kRight, kB, 0, 1), 9, 0x42, X, 0x42, X | C, 1},
    {"RoxrByteBy9XClear", by_reg(kRox, kRight, kB, 0, 1), 9, 0x42, C, 0x42, 0, 1},
    {"RoxlLongImm1", by_imm(kRox, kLeft, kL, 1, 1), 0, 0x80000000, X, 1, X | C, 0},
    {"RoxlLongBy32", by_reg(kRox, kLeft, kL, 0, 1), 32, 3, 0, 1, X | C, 1},
    {"RoxrLongBy32", by_reg(kRox, kRight, kL, 0, 1), 32, 0xC0000000, 0, 0x80000000, X | N | C, 1},
    {"RoxrLongBy33", by_reg(kRox, kRight, kL, 0, 1), 33, 0x12345678, X, 0x12345678, X | C, 1},
    {"LslByteBy64", by_reg(kLs, kLeft, kB, 0, 1), 64, 0x80, X | V | C, 0x80, X | N, 0},
    {"RoxlWordBy64", by_reg(kRox, kLeft, kW, 0, 1), 64, 0, X, 0, X | Z | C, 0},
    {"RoxrWordBy64", by_reg(kRox, kRight, kW, 0, 1), 64, 0x1234, C, 0x1234, 0, 0},
    {"AsrLongBy0", by_reg(kAs, kRight, kL, 0, 1), 0x100, 0x80000000, X | C, 0x80000000, X | N, 0},
};

class CpuShiftRegister : public ::testing::TestWithParam<RegisterCase> {};

TEST_P(CpuShiftRegister, ResultFlagsAndCharge) {
  const RegisterCase& t = GetParam();
  reset_machine();
  load_code({t.opcode});
  dreg(0) = t.d0;
  dreg(1) = t.d1;
  set_ccr(t.ccr_in);
  const int32_t charge = step();
  EXPECT_EQ(dreg(1), t.want_d1);
  EXPECT_EQ(ccr(), t.want_ccr);
  EXPECT_EQ(charge, t.want_charge);
  EXPECT_EQ(dreg(0), t.d0);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2);
}

INSTANTIATE_TEST_SUITE_P(Edges, CpuShiftRegister, ::testing::ValuesIn(kRegisterCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CpuShift, CountIsReadBeforeTheRegisterIsWritten) {
  reset_machine();
  load_code({by_reg(kLs, kLeft, kL, 1, 1)});  // LSL.L D1,D1
  dreg(1) = 4;
  step();
  EXPECT_EQ(dreg(1), 0x40u);
}

// --- Memory forms -------------------------------------------------------------

struct MemoryCase {
  const char* name;
  uint16_t code[3];
  unsigned length;  // words
  int32_t a0;       // offset of A0 from the data word
  uint32_t ccr_in;
  uint16_t word, want_word;
  uint32_t want_ccr;
  int32_t want_a0;
};

void PrintTo(const MemoryCase& c, std::ostream* os) {
  *os << c.name;
}

constexpr uint32_t kData = 0x2000;

// Every operation's arithmetic is checked against the model below; these
// cases cover the addressing modes and the X and C rules of the table.
const MemoryCase kMemoryCases[] = {
    // name, code, words, A0 (from kData), CCR before, word, word after, CCR after, A0 after
    {"RorPreDec", {on_memory(kRo, kRight, 0x20)}, 1, 2, X, 0x0001, 0x8000, X | N | C, 0},
    {"RolIndKeepsX", {on_memory(kRo, kLeft, 0x10)}, 1, 0, X, 0x8000, 0x0001, X | C, 0},
    {"AslPostInc", {on_memory(kAs, kLeft, 0x18)}, 1, 0, 0, 0x8001, 0x0002, X | V | C, 2},
    {"RoxrBringsXIn", {on_memory(kRox, kRight, 0x10)}, 1, 0, X, 0x0002, 0x8001, N, 0},
    {"LsrDisp", {on_memory(kLs, kRight, 0x28), 0x0010}, 2, -16, 0, 0x0003, 0x0001, X | C, -16},
    {"LsrIndex", {on_memory(kLs, kRight, 0x30), 0x0004}, 2, -4, 0, 0x0002, 0x0001, 0, -4},
    {"AsrAbsW", {on_memory(kAs, kRight, 0x38), kData}, 2, 0, 0, 0x7FFE, 0x3FFF, 0, 0},
    {"RoxlAbsL", {on_memory(kRox, kLeft, 0x39), 0, kData}, 3, 0, 0, 0x4000, 0x8000, N, 0},
};

class CpuShiftMemory : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(CpuShiftMemory, WordShiftedByOne) {
  const MemoryCase& t = GetParam();
  reset_machine();
  load_code({t.code[0], t.code[1], t.code[2]});
  m68k::areg(0) = kData + t.a0;
  dreg(0) = 0;  // index register of the d8(A0,D0.W) case
  machine::poke16(kData, t.word);
  set_ccr(t.ccr_in);
  EXPECT_EQ(step(), 0);
  EXPECT_EQ(machine::peek16(kData), t.want_word);
  EXPECT_EQ(ccr(), t.want_ccr);
  EXPECT_EQ(m68k::areg(0), kData + t.want_a0);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2 * t.length);
}

INSTANTIATE_TEST_SUITE_P(Forms, CpuShiftMemory, ::testing::ValuesIn(kMemoryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Every count against a one-bit-at-a-time model ----------------------------

// The operations as the programmer's manual describes them: count single
// steps, each moving one bit. Kept deliberately naive and in 64-bit
// arithmetic so that it shares nothing with the handlers.
struct ModelResult {
  uint64_t value;
  uint32_t ccr;
};

ModelResult model(Kind k, Dir d, unsigned bits, uint64_t v, unsigned count, bool x) {
  const uint64_t mask = (uint64_t{1} << bits) - 1;
  bool c = k == kRox ? x : false;
  bool overflow = false;
  for (unsigned i = 0; i < count; ++i) {
    const bool msb = (v >> (bits - 1)) & 1;
    const bool lsb = v & 1;
    bool out = d == kLeft ? msb : lsb;
    if (d == kLeft) {
      uint64_t in = k == kRo ? msb : k == kRox ? x : 0;
      v = ((v << 1) | in) & mask;
    } else {
      uint64_t in = k == kAs ? msb : k == kRo ? lsb : k == kRox ? x : 0;
      v = (v >> 1) | (in << (bits - 1));
    }
    if (k == kAs && d == kLeft && (((v >> (bits - 1)) & 1) != msb)) overflow = true;
    c = out;
    if (k != kRo) x = out;
  }
  uint32_t ccr = (x ? X : 0) | (((v >> (bits - 1)) & 1) ? N : 0) | (v == 0 ? Z : 0) |
                 (overflow ? V : 0) | (c ? C : 0);
  return {v, ccr};
}

constexpr uint32_t kSamples[] = {0x00000000, 0x00000001, 0x80000000, 0xFFFFFFFF,
                                 0x55555555, 0xAAAAAAAA, 0x7FFFFFFF, 0x12345678,
                                 0xC0000001, 0x0000FF80, 0x00810000, 0xFFFF7FFF};

const char* const kNames[4][2] = {{"ASR", "ASL"}, {"LSR", "LSL"}, {"ROXR", "ROXL"}, {"ROR", "ROL"}};

// Register counts 0 to 63 (with the ignored high bits of Dx set) and, for
// counts 1 to 8, the immediate form as well.
TEST(CpuShift, EveryCountMatchesTheStepModel) {
  reset_machine();
  const unsigned bits_of[3] = {8, 16, 32};
  for (unsigned k = 0; k < 4; ++k)
    for (unsigned d = 0; d < 2; ++d)
      for (unsigned s = 0; s < 3; ++s) {
        const unsigned bits = bits_of[s];
        const uint32_t mask = bits == 32 ? 0xFFFFFFFF : (1u << bits) - 1;
        for (uint32_t sample : kSamples)
          for (unsigned count = 0; count < 64; ++count)
            for (bool x : {false, true}) {
              const ModelResult want = model(Kind(k), Dir(d), bits, sample & mask, count, x);
              const uint32_t want_reg = (sample & ~mask) | static_cast<uint32_t>(want.value);
              auto run = [&](uint16_t opcode, int32_t want_charge) {
                load_code({opcode});
                dreg(2) = count | 0xFFC0;
                dreg(3) = sample;
                set_ccr((x ? X : 0) | V | C);
                const int32_t charge = step();
                if (dreg(3) == want_reg && ccr() == want.ccr && charge == want_charge) return true;
                ADD_FAILURE() << kNames[k][d] << " " << std::hex << opcode << " size " << std::dec
                              << bits << " count " << count << " of " << std::hex << sample
                              << " X=" << x << ": got " << dreg(3) << " ccr " << ccr() << " charge "
                              << charge << ", want " << want_reg << " ccr " << want.ccr;
                return false;
              };
              if (!run(by_reg(Kind(k), Dir(d), SizeField(s), 2, 3), count ? 1 : 0)) return;
              if (count >= 1 && count <= 8 &&
                  !run(by_imm(Kind(k), Dir(d), SizeField(s), count, 3), 0))
                return;
            }
      }
}

TEST(CpuShift, MemoryFormsMatchTheStepModel) {
  reset_machine();
  for (unsigned k = 0; k < 4; ++k)
    for (unsigned d = 0; d < 2; ++d)
      for (uint32_t sample : kSamples)
        for (bool x : {false, true}) {
          load_code({on_memory(Kind(k), Dir(d), 0x11)});  // (A1)
          m68k::areg(1) = kData;
          machine::poke16(kData, sample & 0xFFFF);
          set_ccr(x ? X : 0);
          step();
          const ModelResult want = model(Kind(k), Dir(d), 16, sample & 0xFFFF, 1, x);
          ASSERT_EQ(machine::peek16(kData), want.value)
              << kNames[k][d] << " " << std::hex << sample;
          ASSERT_EQ(ccr(), want.ccr) << kNames[k][d] << " " << std::hex << sample;
        }
}

}  // namespace
