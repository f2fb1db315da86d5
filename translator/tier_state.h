// What translated code reads and writes besides the CPU state, and how it
// reaches everything: one host register (r15) holds the address of the CPU
// state, and every other object is at a fixed distance from it (the CPU
// state, the guest memory, the line map and this record are all static data
// of the executable).
#pragma once

#include <cstdint>

namespace translator {

// Why a block returned to the dispatcher (the value in eax).
enum ExitReason : uint32_t {
  kExitNormal = 0,  // PC stored; carry on
  kExitLink = 1,    // a static exit not linked yet: exit_block/exit_index name it
  kExitBail = 2,    // the instruction at PC is the interpreter's to run
};

// A direct-mapped cache from guest PC to host code, consulted inline by the
// computed exits of translated code (returns, jumps through registers) and
// first by the dispatcher. An empty entry holds the miss stub, so a false
// hit on PC 0 only returns to the dispatcher.
struct JumpEntry {
  uint32_t pc;
  uint32_t unused;
  const void* code;
};
inline constexpr unsigned kJumpCacheBits = 12;
inline constexpr uint32_t kJumpCacheSize = 1u << kJumpCacheBits;

struct TierShared {
  // Set by the code-write hook when it dropped a translation; a block
  // checks it after every write and call-out and leaves when it is set.
  uint32_t code_changed;
  uint32_t exit_block;
  uint32_t exit_index;
  // Lockstep builds: instructions the block completed before it returned.
  uint32_t block_instructions;
  alignas(64) JumpEntry jump_cache[kJumpCacheSize];
};

extern TierShared tier_shared;

// The code an empty jump-cache entry leads to: back to the dispatcher.
extern const void* jump_miss_stub;

inline uint32_t jump_cache_index(uint32_t pc) {
  return (pc >> 1) & (kJumpCacheSize - 1);
}

}  // namespace translator
