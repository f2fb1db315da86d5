// A block of guest code as the tier reads it before translating: the
// straight run of instructions from a start address to the first one after
// which control may leave, and the condition codes live after each of them.
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
};

struct GuestBlock {
  uint32_t pc = 0;
  std::vector<Insn> insns;
  // Flags a later instruction of the block, or whatever follows one of its
  // exits, may read after each instruction: only these are computed.
  std::vector<uint8_t> live_after;
  // The guest bytes the translation was made from, [first, end), as 24-bit
  // addresses: a write there drops the translation.
  uint32_t first = 0;
  uint32_t end = 0;
  // Instructions run through the interpreter's handlers.
  unsigned call_outs = 0;
};

// Empty when nothing at `pc` can be translated (the I/O region, or a first
// instruction the limits exclude).
GuestBlock read_guest_block(uint32_t pc, const BlockLimits& limits);

// Fills live_after. Every exit of the block may be followed by code that
// reads any flag, so all flags are live there; an instruction that may leave
// early needs them all as well: before it when it may stop before doing
// anything (a memory access that meets the I/O region, a call-out), after it
// when it may stop once done (a write that meets translated code).
void compute_flag_liveness(GuestBlock& block);

}  // namespace translator
