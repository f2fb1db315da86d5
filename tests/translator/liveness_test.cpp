// Flag liveness: a flag is computed only where something after it in the
// block may read it, or may see it once the block has left.
#include <gtest/gtest.h>

#include "machine/emu_memory.h"
#include "translator/guest_block.h"

namespace translator {
namespace {

constexpr uint32_t kAt = 0x1000;

struct LivenessCase {
  const char* name;
  std::vector<uint16_t> words;
  std::vector<uint8_t> live_after;  // per instruction
};

// clang-format off
const LivenessCase kCases[] = {
    // add.l d1,d0 ; sub.l d2,d3 ; bne.s *-4: SUB overwrites everything ADD set.
    {"OverwrittenFlagsAreDead", {0xD081, 0x9682, 0x66FA}, {0, kFlagsAll, kFlagsAll}},
    // move.l d0,d1 ; addq.l #1,d2 ; bne.s: MOVE leaves X, which ADDQ sets.
    {"XSurvivesUntilSet", {0x2200, 0x5282, 0x66FA}, {0, kFlagsAll, kFlagsAll}},
    // add.l d1,d0 ; move.l d0,d2 ; bne.s: only X of ADD is live.
    {"LaterMoveLeavesX", {0xD081, 0x2400, 0x66FA}, {kFlagX, kFlagsAll, kFlagsAll}},
    // add.l d1,d0 ; movea.l (a0),a1 ; bne.s: the read may hand the
    // instruction to the interpreter, which writes no flag for it and so
    // needs every one.
    {"MemoryAccessNeedsEveryFlagItKeeps", {0xD081, 0x2250, 0x66FA}, {kFlagsAll, kFlagsAll, kFlagsAll}},
    // add.l d1,d0 ; move.l (a0),d2 ; bne.s: the interpreter would set N Z V C
    // of the MOVE itself; only X must be as ADD left it.
    {"MemoryAccessNeedsOnlyWhatItKeeps", {0xD081, 0x2410, 0x66FA}, {kFlagX, kFlagsAll, kFlagsAll}},
    // move.l d0,(a0) ; moveq #0,d1 ; bra.s: a store may leave right after itself.
    {"StoreNeedsEveryFlagAfter", {0x2080, 0x7200, 0x60FA}, {kFlagsAll, kFlagsAll, kFlagsAll}},
    // lsr.l d1,d0 with a count of 0 keeps X: X before it stays live.
    {"CountRegisterShiftReadsX", {0xD081, 0xE2A8, 0x7200, 0x60FA}, {kFlagX, kFlagX, kFlagsAll, kFlagsAll}},
    // add.l d1,d0 ; bhi.s +2 (followed into moveq) ; moveq #0,d1 ; bra.s:
    // the side exit of BHI needs every flag before it, the way on after it
    // only X (MOVEQ sets the rest).
    {"SideExitNeedsEveryFlagBefore", {0xD081, 0x6202, 0x7200, 0x60F8}, {kFlagsAll, kFlagX, kFlagsAll, kFlagsAll}},
    // add.l d1,d0 ; divu d2,d0 ; bra.s: a zero divisor raises an exception
    // from the interpreter, whose frame holds every flag.
    {"DivideNeedsEveryFlagBefore", {0xD081, 0x80C2, 0x60FA}, {kFlagsAll, kFlagsAll, kFlagsAll}},
    // subq.l #1,d0 ; beq.s: the last flags reach the exit.
    {"FlagsAtTheExitAreLive", {0x5380, 0x67FC}, {kFlagsAll, kFlagsAll}},
};
// clang-format on

void PrintTo(const LivenessCase& c, std::ostream* os) {
  *os << c.name;
}

class Liveness : public testing::TestWithParam<LivenessCase> {};

TEST_P(Liveness, ComputesOnlyWhatMayBeRead) {
  const LivenessCase& c = GetParam();
  machine::clear_memory();
  for (size_t i = 0; i < c.words.size(); ++i)
    machine::poke16(kAt + 2 * static_cast<uint32_t>(i), c.words[i]);
  const GuestBlock block = read_guest_block(kAt, BlockLimits{});
  ASSERT_EQ(block.insns.size(), c.live_after.size());
  for (size_t i = 0; i < c.live_after.size(); ++i)
    EXPECT_EQ(block.live_after[i], c.live_after[i]) << "after instruction " << i;
}

INSTANTIATE_TEST_SUITE_P(Flags, Liveness, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A block ends after its first branch and covers exactly its bytes; a limit
// ends it before, and the next instruction is then the exit.
TEST(GuestBlocks, EndAtTheFirstBranchOrTheLimit) {
  machine::clear_memory();
  const uint16_t words[] = {0x7001, 0x7202, 0x6002, 0x7403};  // moveq; moveq; bra.s; moveq
  for (size_t i = 0; i < 4; ++i) machine::poke16(kAt + 2 * static_cast<uint32_t>(i), words[i]);
  BlockLimits straight;
  straight.follow_branches = false;
  GuestBlock block = read_guest_block(kAt, straight);
  ASSERT_EQ(block.insns.size(), 3u);
  EXPECT_EQ(block.first, kAt);
  EXPECT_EQ(block.end, kAt + 6);
  BlockLimits one;
  one.max_instructions = 1;
  block = read_guest_block(kAt, one);
  EXPECT_EQ(block.insns.size(), 1u);
  EXPECT_EQ(block.end, kAt + 2);
}

// Code is never read from the I/O region: a block stops before it.
TEST(GuestBlocks, StopBeforeTheIoRegion) {
  machine::clear_memory();
  const uint32_t at = machine::kIoRegionStart - 4;
  machine::poke16(at, 0x7001);      // moveq #1,d0
  machine::poke16(at + 2, 0x203C);  // move.l #...,d0 reaching past 0xFF8000
  const GuestBlock block = read_guest_block(at, BlockLimits{});
  ASSERT_EQ(block.insns.size(), 1u);
  EXPECT_EQ(block.end, at + 2);
  EXPECT_TRUE(read_guest_block(machine::kIoRegionStart, BlockLimits{}).insns.empty());
}

}  // namespace
}  // namespace translator
