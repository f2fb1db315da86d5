// A block of guest code as the tier reads it before translating: the run of
// instructions from a start address to the first one after which control
// may leave, going on past branches the way they are likely to go (a trace
// with side exits), and the condition codes live after each of them.
#pragma once

#include <cstdint>
#include <vector>

#include "translator/decoder.h"

namespace translator {

struct BlockLimits {
  unsigned max_instructions = 32;
  // Lockstep builds: end the block before a call-out, so nothing the
  // interpreter's handlers do (an OS call) is ever run twice.
  bool stop_before_call_out = false;
  // Go on past a branch into the way it is likely to go (a backward target,
  // a forward branch's fall-through, BRA's target), within `follow_reach`
  // bytes of the start, while the block has room.
  bool follow_branches = true;
  uint32_t follow_reach = 1024;
};

struct GuestBlock {
  uint32_t pc = 0;
  std::vector<Insn> insns;
  // Flags a later instruction of the block, or whatever follows one of its
  // exits, may read after each instruction: only these are computed.
  std::vector<uint8_t> live_after;
  // Flags the block may read before it writes them: what a jump back to its
  // start must leave in the CPU state.
  uint8_t live_in = kFlagsAll;
  // The guest bytes the translation was made from, [first, end), as 24-bit
  // addresses (from the lowest instruction to the end of the highest, with
  // whatever lies between): a write there drops the translation.
  uint32_t first = 0;
  uint32_t end = 0;
  // Instructions run through the interpreter's handlers.
  unsigned call_outs = 0;
};

// Empty when nothing at `pc` can be translated (the I/O region, or a first
// instruction the limits exclude).
GuestBlock read_guest_block(uint32_t pc, const BlockLimits& limits);

// Fills live_after and live_in. Every exit of the block may be followed by
// code that reads any flag, so all flags are live there (side exits
// included); an instruction that may leave early needs them as well: before
// a call-out all of them; before a memory access (which hands the
// instruction to the interpreter when it meets the I/O region, and the
// interpreter then writes the instruction's own flags) those the
// instruction does not write; after a store all of them (it may leave once
// done when it meets translated code).
void compute_flag_liveness(GuestBlock& block);

// The flags that must be as they are when the instruction is handed to the
// interpreter before it has done anything: those it does not write (it runs
// to its end there), or all of them when it may raise an exception.
uint8_t flags_kept_at_hand_over(const Insn& insn);

}  // namespace translator
