// The tier's machinery behind the dispatcher: set up on the first
// translation (code memory, the entry and exit stubs, the jump cache, the
// code-write hook), translating a block, finding one, entering one.
#pragma once

#include <cstdint>

#include "translator/guest_block.h"
#include "translator/tier_state.h"

namespace translator {

// Builds with VELLUM_LOCKSTEP check every block against the interpreter.
inline constexpr bool kLockstep = VELLUM_LOCKSTEP;

// Sets the tier up at the first call; false when this host cannot run
// translated code (then the interpreter runs everything).
bool tier_ready();
// The host code of the block starting at `pc`, or nullptr. Every live
// block is in the jump cache, or its entry holds another live block: an
// empty entry means nothing at `pc` is translated (before the tier is set
// up every entry is empty), and only two starts sharing an entry cost a
// lookup in the cache's map.
const void* find_sharing_translation(uint32_t pc);
inline const void* find_translation(uint32_t pc) {
  const JumpEntry& e = tier_shared.jump_cache[jump_cache_index(pc)];
  if (e.code == jump_miss_stub) return nullptr;
  if (e.pc == pc) return e.code;
  return find_sharing_translation(pc);
}
// Translates the block at `pc`; nullptr when nothing there is worth it.
const void* translate(uint32_t pc);
// Runs translated code until it returns to the dispatcher: an ExitReason.
uint32_t enter_translation(const void* code);
// Links the exit a block returned through (kExitLink), when its target
// is translated.
void link_exit(uint32_t block, uint32_t exit);
// Drops every translation.
void drop_translations();
// Called with the PC of each block a write drops.
void set_drop_listener(void (*listener)(uint32_t pc));

// The tier's counters, for the tier's own code.
struct Statistics;
Statistics& statistics_for_update();

// The guest instructions of the block the tier translates at `pc`, with the
// settings' limit (and, in lockstep builds, ending before a call-out).
GuestBlock block_at(uint32_t pc);

}  // namespace translator
