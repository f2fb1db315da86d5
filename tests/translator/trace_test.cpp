// The block reader's traces: which way a block goes on past a branch, where
// it stops, the bytes it covers and the flags it needs at its start.
#include <gtest/gtest.h>

#include "machine/emu_memory.h"
#include "translator/guest_block.h"

namespace translator {
namespace {

constexpr uint32_t kAt = 0x2000;

GuestBlock read(const std::vector<uint16_t>& words, uint32_t start,
                const BlockLimits& limits = BlockLimits{}) {
  machine::clear_memory();
  for (size_t i = 0; i < words.size(); ++i)
    machine::poke16(kAt + 2 * static_cast<uint32_t>(i), words[i]);
  return read_guest_block(start, limits);
}

// moveq #3,d0 ; 1: subq.l #1,d0 ; bne.s 1b ; rts: from the BNE, the block
// goes back to the SUBQ and stops when it reaches the BNE again, its own
// start: a loop, its bytes from the SUBQ to the end of the BNE.
TEST(Traces, FollowABackwardBranchUntilTheBlockComesBack) {
  const GuestBlock block = read({0x7003, 0x5380, 0x66FC, 0x4E75}, kAt + 4);
  ASSERT_EQ(block.insns.size(), 2u);
  EXPECT_EQ(block.insns[0].follow, Follow::kTaken);
  EXPECT_EQ(block.insns[0].trace_next, kAt + 2);
  EXPECT_EQ(block.insns[1].address, kAt + 2);
  EXPECT_EQ(block.insns[1].trace_next, kAt + 4);
  EXPECT_EQ(block.first, kAt + 2);
  EXPECT_EQ(block.end, kAt + 6);
}

// tst.l d0 ; beq.s +2 ; moveq #1,d1 ; rts: a forward branch goes on into
// its fall-through; the taken way is the side exit.
TEST(Traces, FollowAForwardBranchIntoItsFallThrough) {
  const GuestBlock block = read({0x4A80, 0x6702, 0x7201, 0x4E75}, kAt);
  ASSERT_EQ(block.insns.size(), 4u);
  EXPECT_EQ(block.insns[1].follow, Follow::kFallThrough);
  EXPECT_EQ(block.insns[1].trace_next, kAt + 4);
  EXPECT_EQ(block.insns[3].kind, Kind::kRts);
}

// bra.s +4 ; (two words skipped) ; rts: BRA's target is followed within the
// reach and its bytes are covered; past the reach, or without room for
// another instruction, the block ends at the BRA.
TEST(Traces, FollowBraWithinReachAndRoom) {
  const std::vector<uint16_t> words = {0x6004, 0x7001, 0x7002, 0x4E75};
  GuestBlock block = read(words, kAt);
  ASSERT_EQ(block.insns.size(), 2u);
  EXPECT_EQ(block.insns[0].follow, Follow::kTaken);
  EXPECT_EQ(block.insns[1].address, kAt + 6);
  EXPECT_EQ(block.end, kAt + 8);
  BlockLimits near;
  near.follow_reach = 4;
  block = read(words, kAt, near);
  ASSERT_EQ(block.insns.size(), 1u);
  EXPECT_EQ(block.insns[0].follow, Follow::kNone);
  BlockLimits one;
  one.max_instructions = 1;
  EXPECT_EQ(read(words, kAt, one).insns[0].follow, Follow::kNone);
}

// A DBcc whose target lies ahead is not followed.
TEST(Traces, LeaveAForwardDbccAlone) {
  // dbra d1,+2 ; moveq #1,d0 ; rts
  const GuestBlock block = read({0x51C9, 0x0004, 0x7001, 0x4E75}, kAt);
  ASSERT_EQ(block.insns.size(), 1u);
  EXPECT_EQ(block.insns[0].follow, Follow::kNone);
}

struct LiveInCase {
  const char* name;
  std::vector<uint16_t> words;
  uint8_t live_in;
};

const LiveInCase kLiveIn[] = {
    // add.l d1,d0 ; bne.s *: ADD writes every flag before anything reads.
    {"AllWrittenFirst", {0xD081, 0x66FC}, 0},
    // move.l (a0),d0 ; bne.s: the read may be handed over, keeping X.
    {"ReadKeepsX", {0x2010, 0x66FC}, kFlagX},
    // movea.l (a0),a1 ; bra.s: MOVEA writes no flag and may be handed over.
    {"HandOverWithoutFlags", {0x2250, 0x60FC}, kFlagsAll},
    // bcs.s *+4 ; rts: the branch reads C and its side exit needs the rest.
    {"BranchFirst", {0x6502, 0x4E75}, kFlagsAll},
};

class LiveIn : public testing::TestWithParam<LiveInCase> {};

TEST_P(LiveIn, IsWhatTheBlockMayReadBeforeWriting) {
  EXPECT_EQ(read(GetParam().words, kAt).live_in, GetParam().live_in);
}

INSTANTIATE_TEST_SUITE_P(Traces, LiveIn, testing::ValuesIn(kLiveIn),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace translator
