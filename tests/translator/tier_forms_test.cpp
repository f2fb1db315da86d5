// Edge values of the translated forms whose rules have most corners, each
// a small program run by both engines from the same state: the divides
// (zero divisor, the overflow bounds, N and Z kept by an overflow) and the
// coverage report that measures what runs translated.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tier_test_support.h"
#include "translator/coverage_counts.h"
#include "translator/engine.h"

namespace tiertest {
namespace {

struct DivideCase {
  const char* name;
  bool is_signed;
  uint32_t dividend;
  uint16_t divisor;
  uint16_t ccr_before;
};

void PrintTo(const DivideCase& c, std::ostream* os) {
  *os << c.name;
}

// move.l #dividend,d0 ; move.w #divisor,d1 ; move #ccr,ccr ; divu/divs d1,d0
// ; move sr,d2 ; move.l d0,$ffff84
std::vector<uint16_t> divide_program(const DivideCase& c) {
  return {0x203c,
          static_cast<uint16_t>(c.dividend >> 16),
          static_cast<uint16_t>(c.dividend),
          0x323c,
          c.divisor,
          0x44fc,
          c.ccr_before,
          static_cast<uint16_t>(c.is_signed ? 0x81c1 : 0x80c1),
          0x40c2,
          0x23c0,
          0x00ff,
          0xff84};
}

// clang-format off
const DivideCase kDivides[] = {
    {"DivuFits",                 false, 100000,      7,      0x00},
    {"DivuLargestQuotient",      false, 0xFFFE0001,  0xFFFF, 0x1F},
    {"DivuOverflowByOne",        false, 0xFFFF0000,  0xFFFF, 0x00},
    {"DivuOverflowKeepsNZ",      false, 0x12345678,  2,      0x0C},
    {"DivuOverflowKeepsClearNZ", false, 0x12345678,  2,      0x13},
    {"DivuZeroQuotient",         false, 5,           6,      0x1F},
    {"DivuQuotientSignBit",      false, 0x8000,      1,      0x00},
    {"DivuByZero",               false, 1234,        0,      0x1F},
    {"DivsNegativeByPositive",   true,  0xFFFFFFF9,  2,      0x00},
    {"DivsPositiveByNegative",   true,  7,           0xFFFE, 0x00},
    {"DivsSmallestQuotient",     true,  0xFFFF8000,  1,      0x04},
    {"DivsLargestQuotient",      true,  0x7FFF,      1,      0x08},
    {"DivsOverflowByOne",        true,  0x8000,      1,      0x04},
    {"DivsMostNegativeByMinus1", true,  0x80000000,  0xFFFF, 0x0C},
    {"DivsOverflowKeepsNZ",      true,  0x7FFFFFFF,  0x7FFF, 0x1F},
    {"DivsByZero",               true,  0x80000000,  0,      0x00},
};
// clang-format on

class TranslatedDivide : public testing::TestWithParam<DivideCase> {};

TEST_P(TranslatedDivide, LeavesWhatTheInterpreterLeaves) {
  const std::vector<uint16_t> words = divide_program(GetParam());
  const auto [interpreter, tier] = run_both(words);
  ASSERT_TRUE(interpreter.recorded);
  ASSERT_TRUE(tier.recorded);
  EXPECT_EQ(tier.cpu.dar[0], interpreter.cpu.dar[0]) << "quotient and remainder";
  EXPECT_EQ(tier.cpu.dar[2] & 0xFFFF, interpreter.cpu.dar[2] & 0xFFFF) << "SR after the divide";
  EXPECT_EQ(tier.cpu.dar[7], interpreter.cpu.dar[7]) << "exceptions taken";
  EXPECT_EQ(tier.cpu.pc, interpreter.cpu.pc);
  EXPECT_EQ(tier.budget_at_end, interpreter.budget_at_end);
}

INSTANTIATE_TEST_SUITE_P(Tier, TranslatedDivide, testing::ValuesIn(kDivides),
                         [](const auto& info) { return std::string(info.param.name); });

// The report names the divide as translated once it ran in a block, and
// the move from SR after it as a call-out.
TEST(CoverageCounts, SplitTranslatedFromCallOuts) {
  translator::settings().dump_counts = true;
  fresh_machine();
  load(divide_program(kDivides[0]));
  const Outcome tier = run(true);
  ASSERT_TRUE(tier.recorded);
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  translator::write_coverage_report(out);
  std::rewind(out);
  char line[256];
  unsigned long long divu_translated = 0, divu_call_out = 0, sr_call_out = 0, sr_translated = 0;
  unsigned long long total = 0, translated = 0;
  while (std::fgets(line, sizeof line, out)) {
    unsigned long long t, c, i;
    char family[32];
    if (std::sscanf(line, "vellum: instructions %llu: translated %llu", &total, &translated) == 2)
      continue;
    if (std::sscanf(line, "vellum: %31s %llu %llu %llu", family, &t, &c, &i) != 4) continue;
    if (std::string(family) == "DIVU") divu_translated += t, divu_call_out += c;
    if (std::string(family) == "MOVEfromSR") sr_translated += t, sr_call_out += c;
  }
  std::fclose(out);
  EXPECT_GT(total, translated);
  if (VELLUM_LOCKSTEP) {
    // Lockstep blocks end before a call-out: the move from SR runs on the
    // run loop's interpreter.
    EXPECT_EQ(sr_call_out, 0u);
  } else {
    EXPECT_GT(sr_call_out, 0u);
  }
  EXPECT_EQ(sr_translated, 0u);
  EXPECT_GT(divu_translated, 0u);
  EXPECT_EQ(divu_call_out, 0u);
}

}  // namespace
}  // namespace tiertest
