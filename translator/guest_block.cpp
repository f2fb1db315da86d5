#include "translator/guest_block.h"

#include "machine/emu_memory.h"

namespace translator {

GuestBlock read_guest_block(uint32_t pc, const BlockLimits& limits) {
  GuestBlock block;
  block.pc = pc;
  block.first = pc & machine::kAddressMask;
  uint32_t at = pc;
  while (block.insns.size() < limits.max_instructions) {
    // Fetches from the I/O region fail in the interpreter; such an
    // instruction is never part of a translation.
    const uint32_t start = at & machine::kAddressMask;
    const Insn insn = decode(at);
    if (start + insn.length > machine::kIoRegionStart) break;
    if (insn.kind == Kind::kCallOut && limits.stop_before_call_out) break;
    block.insns.push_back(insn);
    if (insn.kind == Kind::kCallOut) ++block.call_outs;
    at = insn.next;
    if (insn.ends_block) break;
  }
  block.end = block.first + (at - pc);
  compute_flag_liveness(block);
  return block;
}

void compute_flag_liveness(GuestBlock& block) {
  const size_t n = block.insns.size();
  block.live_after.assign(n, 0);
  uint8_t live = kFlagsAll;
  for (size_t i = n; i-- > 0;) {
    const Insn& insn = block.insns[i];
    uint8_t after = live;
    if (insn.writes_memory) after = kFlagsAll;
    block.live_after[i] = after;
    live = static_cast<uint8_t>(insn.flags_read | (after & ~insn.flags_written));
    if (insn.accesses_memory || insn.kind == Kind::kCallOut) live = kFlagsAll;
  }
}

}  // namespace translator
