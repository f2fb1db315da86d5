#include "translator/guest_block.h"

#include <algorithm>

#include "machine/emu_memory.h"

namespace translator {

namespace {

// Where a branch that ends the straight line is likely to go: loops branch
// backwards, and a forward branch mostly skips something rare.
uint32_t likely_way(const Insn& insn, Follow& follow) {
  switch (insn.kind) {
    case Kind::kBra:
      follow = Follow::kTaken;
      return insn.target;
    case Kind::kBcc:
      follow = insn.target <= insn.address ? Follow::kTaken : Follow::kFallThrough;
      return follow == Follow::kTaken ? insn.target : insn.next;
    case Kind::kDbcc:
      follow = Follow::kTaken;
      return insn.target <= insn.address ? insn.target : 0;
    default:
      return 0;
  }
}

uint32_t span(uint32_t a, uint32_t b) {
  return a > b ? a - b : b - a;
}

}  // namespace

GuestBlock read_guest_block(uint32_t pc, const BlockLimits& limits) {
  GuestBlock block;
  block.pc = pc;
  uint32_t lowest = pc & machine::kAddressMask, highest = lowest;
  uint32_t at = pc;
  while (block.insns.size() < limits.max_instructions) {
    // Fetches from the I/O region fail in the interpreter; such an
    // instruction is never part of a translation.
    const uint32_t start = at & machine::kAddressMask;
    // Back at an instruction of the block (its start: a loop): the way on
    // is an exit to it.
    bool again = false;
    for (const Insn& earlier : block.insns)
      if (earlier.address == at) again = true;
    if (again) break;
    Insn insn = decode(at);
    if (start + insn.length > machine::kIoRegionStart) break;
    if (insn.kind == Kind::kCallOut && limits.stop_before_call_out) break;
    insn.trace_next = insn.next;
    lowest = std::min(lowest, start);
    highest = std::max(highest, start + insn.length);
    if (insn.kind == Kind::kCallOut) ++block.call_outs;
    at = insn.next;
    const bool ends = insn.ends_block;
    if (ends && limits.follow_branches && block.insns.size() + 1 < limits.max_instructions) {
      Follow follow = Follow::kNone;
      const uint32_t to = likely_way(insn, follow);
      bool seen = to == 0;
      for (const Insn& earlier : block.insns)
        if (earlier.address == to) seen = true;
      if (!seen && to != insn.address && span(to, pc) <= limits.follow_reach) {
        insn.follow = follow;
        insn.trace_next = to;
        at = to;
      }
    }
    block.insns.push_back(insn);
    if (ends && insn.follow == Follow::kNone) break;
  }
  block.first = lowest;
  block.end = highest;
  compute_flag_liveness(block);
  return block;
}

uint8_t flags_kept_at_hand_over(const Insn& insn) {
  // A divide by zero is handed over to raise its exception, whose frame
  // holds every flag.
  if (insn.kind == Kind::kDivu || insn.kind == Kind::kDivs || insn.kind == Kind::kCallOut)
    return kFlagsAll;
  return static_cast<uint8_t>(kFlagsAll & ~insn.flags_written);
}

void compute_flag_liveness(GuestBlock& block) {
  const size_t n = block.insns.size();
  block.live_after.assign(n, 0);
  uint8_t live = kFlagsAll;
  for (size_t i = n; i-- > 0;) {
    const Insn& insn = block.insns[i];
    uint8_t after = live;
    // A store may leave once done.
    if (insn.writes_memory) after = kFlagsAll;
    block.live_after[i] = after;
    live = static_cast<uint8_t>(insn.flags_read | (after & ~insn.flags_written));
    // Handed to the interpreter at the I/O region, the instruction runs to
    // its end there and writes its own flags: it needs the others as they
    // are. A call-out's handler may raise an exception, which saves them all.
    if (insn.accesses_memory) live = static_cast<uint8_t>(live | flags_kept_at_hand_over(insn));
    // A followed branch (which writes no flag) leaves by its side exit
    // with every flag as it found them.
    const bool side_exit = insn.follow != Follow::kNone && insn.kind != Kind::kBra;
    if (insn.kind == Kind::kCallOut || side_exit) live = kFlagsAll;
  }
  block.live_in = live;
}

}  // namespace translator
