// The run loop of the tier. Per iteration it looks up the block at PC: a
// translation runs until it returns; otherwise the interpreter's handlers
// run the straight line from PC to its first branch, jump, return or trap,
// and the start it was reached at is counted. A start counted often enough
// is translated.
//
// The budget follows m68k::execute: one unit at the start and one at the
// end of the timeslice, one per instruction and the handlers' extras. The
// interpreter checks it after every instruction, the tier after every
// block: a timeslice may run a block's length past its end.
#include "translator/dispatcher.h"

#include <algorithm>

#include "cpu/cpu_state.h"
#include "translator/coverage_counts.h"
#include "translator/decoder.h"
#include "translator/engine.h"
#include "translator/interpreter_step.h"
#include "translator/lockstep.h"
#include "translator/tier.h"
#include "translator/tier_state.h"

namespace translator {

namespace {

using m68k::cpu;
using m68k::cycle_budget;

// Direct-mapped by PC: two starts that share a counter only become hot
// sooner. A start whose translation failed or was dropped by a write waits
// longer each time. `needed` is 0 until the start is first counted.
struct HotCounter {
  uint32_t count;
  uint32_t needed;
  uint32_t backoff;
};
constexpr unsigned kHotCounterBits = 12;
constexpr uint32_t kMaxBackoff = 20;
HotCounter hot_counters[1u << kHotCounterBits];

HotCounter& counter_of(uint32_t pc) {
  return hot_counters[(pc >> 1) & ((1u << kHotCounterBits) - 1)];
}

uint32_t needed_for(const HotCounter& c) {
  const uint64_t n = uint64_t{settings().translate_after} << c.backoff;
  return n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
}

// One more run from a start without a translation; true once it is hot.
inline bool hot(uint32_t pc) {
  HotCounter& c = counter_of(pc);
  if (++c.count < c.needed) [[likely]]
    return false;
  if (c.needed == 0) {
    c.needed = needed_for(c);
    if (c.count < c.needed) return false;
  }
  c.count = 0;
  return true;
}

void back_off(uint32_t pc, uint32_t steps) {
  HotCounter& c = counter_of(pc);
  c.backoff = std::min(kMaxBackoff, c.backoff + steps);
  c.needed = needed_for(c);
}

void on_block_dropped(uint32_t pc) {
  back_off(pc, 1);
}

// Set once per timeslice: counting costs the uncounted loop nothing.
bool counting = false;

inline void step() {
  interpreter_step();
  if (counting) [[unlikely]]
    coverage_interpreted(static_cast<uint16_t>(cpu.ir));
}

void run_straight_line() {
  do {
    step();
  } while (!ends_straight_line(static_cast<uint16_t>(cpu.ir)) && cycle_budget > 0);
}

void run_block(const void* code) {
  ++statistics_for_update().block_runs;
  const uint32_t reason = kLockstep ? lockstep_run(code) : enter_translation(code);
  if (reason == kExitLink)
    link_exit(tier_shared.exit_block, tier_shared.exit_index);
  else if (reason == kExitBail)
    step();
}

bool listener_set = false;

}  // namespace

int32_t execute_translated(int32_t budget) {
  if (cpu.stopped != 0) {
    cycle_budget = 0;
    return budget;
  }
  if (!listener_set) {
    set_drop_listener(&on_block_dropped);
    listener_set = true;
  }
  counting = coverage_counting();
  m68k::initial_budget = budget;
  cycle_budget = budget;
  m68k::charge();
  do {
    // After STOP the interpreter goes on an instruction at a time while
    // the budget lasts.
    if (cpu.stopped != 0) {
      step();
      continue;
    }
    const uint32_t pc = cpu.pc;
    const void* code = find_translation(pc);
    if (!code && hot(pc)) {
      code = translate(pc);
      if (!code) back_off(pc, 4);
    }
    if (code)
      run_block(code);
    else
      run_straight_line();
  } while (cycle_budget > 0);
  m68k::charge();
  cpu.instr_addr = cpu.pc;
  return m68k::cycles_used();
}

void reset_hot_counters() {
  for (HotCounter& c : hot_counters) c = HotCounter{};
}

}  // namespace translator
