// The tier against the interpreter: whole programs run by both from the
// same state must leave the same registers, condition codes, memory, output
// and budget; and the tier's own mechanics (chained blocks, dropped
// translations) keep that true when code changes under them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "tier_test_support.h"
#include "translator/engine.h"

namespace tiertest {
namespace {

void expect_same(const Outcome& tier, const Outcome& interpreter) {
  static const char* const kNames[] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
                                       "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7"};
  for (unsigned n = 0; n < 16; ++n) EXPECT_EQ(tier.cpu.dar[n], interpreter.cpu.dar[n]) << kNames[n];
  EXPECT_EQ(tier.cpu.pc, interpreter.cpu.pc);
  EXPECT_EQ(ccr_of(tier.cpu), ccr_of(interpreter.cpu));
  EXPECT_EQ(tier.cpu.s, interpreter.cpu.s);
  EXPECT_EQ(tier.cpu.int_mask, interpreter.cpu.int_mask);
  for (unsigned n = 0; n < 7; ++n) EXPECT_EQ(tier.cpu.sp_slot[n], interpreter.cpu.sp_slot[n]);
  EXPECT_EQ(tier.recorded, interpreter.recorded);
  EXPECT_EQ(tier.budget_at_end, interpreter.budget_at_end);
  EXPECT_EQ(tier.cycles_used, interpreter.cycles_used);
  EXPECT_EQ(tier.output, interpreter.output);
  for (uint32_t a = 0; a < kComparedBytes; ++a)
    if (tier.memory[a] != interpreter.memory[a]) {
      ADD_FAILURE() << "memory differs first at " << std::hex << a;
      break;
    }
}

class TierProgram : public testing::TestWithParam<Program> {};

TEST_P(TierProgram, EndsAsTheInterpreterDoes) {
  fresh_machine();
  load(GetParam().words);
  const Outcome interpreter = run(false);
  fresh_machine();
  load(GetParam().words);
  const uint64_t before = translator::statistics().block_runs;
  const Outcome tier = run(true);
  EXPECT_GT(translator::statistics().block_runs, before) << "no translated code ran";
  expect_same(tier, interpreter);
}

INSTANTIATE_TEST_SUITE_P(Tier, TierProgram, testing::ValuesIn(tier_programs()),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(HostState, TierProgram, testing::ValuesIn(state_programs()),
                         [](const auto& info) { return std::string(info.param.name); });

// moveq #1,d0 ; move.l d0,$ffff84 ; bra.s * (never reached, ends the block)
const std::vector<uint16_t> kMoveqThenRecord = {0x7001, 0x23c0, 0x00ff, 0xff84, 0x60fe};

TEST(TierRun, LoopBlockChainsToItself) {
  if (VELLUM_LOCKSTEP) GTEST_SKIP() << "lockstep builds return to the dispatcher after every block";
  fresh_machine();
  // move.l #100000,d0 ; 1: subq.l #1,d0 ; bne.s 1b ; move.l d0,$ffff84
  load({0x203c, 0x0001, 0x86a0, 0x5380, 0x66fc, 0x23c0, 0x00ff, 0xff84});
  const uint64_t runs = translator::statistics().block_runs;
  const Outcome o = run(true);
  EXPECT_TRUE(o.recorded);
  EXPECT_EQ(o.cpu.dar[0], 0u);
  // A hundred thousand passes, all but a few without the dispatcher.
  const uint64_t entered = translator::statistics().block_runs - runs;
  EXPECT_GE(entered, 1u);
  EXPECT_LT(entered, 20u);
}

// A loop of 1.2 million instructions keeps its budget in a host register:
// it runs out inside the block in several timeslices and is stored each
// time the block leaves. The interpreter stops a slice after any
// instruction, the tier after a pass of the loop, so a slice may run up to
// a pass (three instructions) longer; nothing else differs.
TEST(TierRun, LoopBudgetRunsOutAcrossTimeslices) {
  // move.l #400000,d1 ; moveq #0,d0 ; 1: add.l d1,d0 ; subq.l #1,d1 ;
  // bne.s 1b ; move.l d0,$ffff84
  const std::vector<uint16_t> words = {0x223c, 0x0006, 0x1a80, 0x7000, 0xd081,
                                       0x5381, 0x66fa, 0x23c0, 0x00ff, 0xff84};
  const auto [interpreter, tier] = run_both(words);
  EXPECT_TRUE(tier.recorded);
  EXPECT_EQ(tier.cpu.dar[0], interpreter.cpu.dar[0]);
  EXPECT_EQ(tier.cpu.dar[1], 0u);
  EXPECT_EQ(ccr_of(tier.cpu), ccr_of(interpreter.cpu));
  EXPECT_LE(std::abs(tier.budget_at_end - interpreter.budget_at_end), 3);
}

TEST(TierRun, HostWriteDropsTheTranslation) {
  fresh_machine();
  load(kMoveqThenRecord);
  EXPECT_EQ(run(true).cpu.dar[0], 1u);
  const uint64_t dropped = translator::statistics().dropped;
  machine::poke16(kCodeAddress, 0x7002);  // moveq #2,d0
  machine::quit_flag = 0;
  m68k::cpu.pc = kCodeAddress;
  EXPECT_EQ(run(true).cpu.dar[0], 2u);
  EXPECT_EQ(translator::statistics().dropped, dropped + 1);
}

TEST(TierRun, HostBlockCopyDropsTheTranslation) {
  fresh_machine();
  load(kMoveqThenRecord);
  EXPECT_EQ(run(true).cpu.dar[0], 1u);
  const uint8_t moveq_3[] = {0x70, 0x03};
  machine::copy_to_guest(kCodeAddress, moveq_3, sizeof moveq_3);
  machine::quit_flag = 0;
  m68k::cpu.pc = kCodeAddress;
  EXPECT_EQ(run(true).cpu.dar[0], 3u);
}

// A write next to translated code, in the same line, leaves it alone.
TEST(TierRun, WriteBesideTheCodeKeepsTheTranslation) {
  fresh_machine();
  load(kMoveqThenRecord);
  run(true);
  const uint64_t dropped = translator::statistics().dropped;
  machine::poke32(kCodeAddress + 10, 0x12345678);
  EXPECT_EQ(translator::statistics().dropped, dropped);
}

// Two blocks linked to each other; the target of a link is rewritten and
// the block that jumps to it must reach the new code.
TEST(TierRun, RewrittenLinkTargetIsReachedAfresh) {
  fresh_machine();
  //      moveq #0,d1
  // 1:   addq.l #1,d1 ; bra.s 2f
  // 2:   cmpi.l #5000,d1 ; bne.s 1b ; move.l d1,$ffff84
  load({0x7200, 0x5281, 0x6000, 0x0002, 0x0c81, 0x0000, 0x1388, 0x66f2, 0x23c1, 0x00ff, 0xff84});
  EXPECT_EQ(run(true).cpu.dar[1], 5000u);
  machine::poke16(kCodeAddress + 12, 3000);  // the compare's immediate
  machine::quit_flag = 0;
  m68k::cpu.pc = kCodeAddress;
  EXPECT_EQ(run(true).cpu.dar[1], 3000u);
}

// Two starts 8 KB apart share a jump-cache entry; dropping the one in it
// leaves the other found, and the rewritten one runs as rewritten.
TEST(TierRun, BlocksSharingAJumpCacheEntryStayFound) {
  fresh_machine();
  load({0x7001, 0x4ef9, 0x0000, 0xb000}, 0x9000);          // moveq #1,d0 ; jmp $b000
  load({0x5280, 0x23c0, 0x00ff, 0xff84, 0x60fe}, 0xb000);  // addq.l #1,d0 ; record
  m68k::cpu.pc = 0x9000;
  EXPECT_EQ(run(true).cpu.dar[0], 2u);
  machine::poke16(0xb000, 0x5a80);  // addq.l #5,d0
  machine::quit_flag = 0;
  m68k::cpu.pc = 0x9000;
  const uint64_t runs = translator::statistics().block_runs;
  const uint64_t made = translator::statistics().translations;
  EXPECT_EQ(run(true).cpu.dar[0], 6u);
  // The first block ran from the cache, not translated anew; the dropped
  // one waits twice as long before it is translated again.
  EXPECT_EQ(translator::statistics().block_runs - runs, 1u);
  EXPECT_EQ(translator::statistics().translations, made);
}

// A code memory too small for the program's blocks is emptied whole and
// filled again, as often as it takes; the program never notices. Run in a
// child process of its own: the code memory is reserved once, at the
// first translation of the process (death tests run first).
TEST(TierRunDeathTest, FullCodeMemoryIsEmptiedWhole) {
  EXPECT_EXIT(
      {
        translator::Settings small;
        small.code_memory_bytes = 300 << 10;
        fresh_machine();
        // A thousand blocks: addq.l #1,d0 ; bne.s over the next word (always
        // taken: the side exit of every block the tier makes from it).
        std::vector<uint16_t> words;
        for (int i = 0; i < 1000; ++i) words.insert(words.end(), {0x5280, 0x6602, 0x4e71});
        words.insert(words.end(), {0x23c0, 0x00ff, 0xff84, 0x60fe});  // record ; bra.s *
        load(words);
        m68k::cpu.dar[0] = 0;
        translator::settings() = small;
        const Outcome o = run(true);
        std::exit(o.cpu.dar[0] == 1000 && translator::statistics().flushes > 0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// The interpreter alone leaves nothing translated.
TEST(TierRun, InterpreterEngineTranslatesNothing) {
  fresh_machine();
  load(kMoveqThenRecord);
  const uint64_t before = translator::statistics().translations;
  EXPECT_EQ(run(false).cpu.dar[0], 1u);
  EXPECT_EQ(translator::statistics().translations, before);
}

}  // namespace
}  // namespace tiertest
