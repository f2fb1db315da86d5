// The translations: each block's entry in code memory, the guest bytes it
// was made from, its static exits and the links between blocks. Lookup by
// PC, drop by the guest bytes a write touched.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "translator/code_memory.h"
#include "translator/emitter.h"

namespace translator {

struct CachedBlock {
  uint32_t pc = 0;
  uint32_t first = 0, end = 0;  // guest bytes [first, end), 24-bit
  uint32_t code = 0;            // entry, as an offset in code memory
  bool live = true;
  // Offsets in code memory; linked[i] is the block exit i jumps to, or -1.
  std::vector<ExitSite> exits;
  std::vector<int32_t> linked;
  // (block, exit) pairs that jump here.
  std::vector<std::pair<uint32_t, uint32_t>> incoming;
};

class BlockCache {
 public:
  explicit BlockCache(CodeMemory& memory);

  uint32_t next_id() const { return static_cast<uint32_t>(blocks_.size()); }
  // The live block of `pc`, or -1.
  int32_t find(uint32_t pc) const;
  const CachedBlock& block(uint32_t id) const { return blocks_[id]; }
  // Registers a block and marks its lines in the translated-code map.
  uint32_t add(CachedBlock block);
  // Points exit `exit` of `from` at the block of its target, when there is
  // one.
  void link(uint32_t from, uint32_t exit);
  // Drops every live block whose bytes overlap [address, address + size):
  // its entry, the jumps into it and its lines. Returns how many.
  unsigned drop_written(uint32_t address, uint32_t size);
  // Forgets every block (code memory is the caller's).
  void clear();
  size_t live_blocks() const { return by_pc_.size(); }

  // Called with the PC of each block dropped by a write (the dispatcher
  // backs off from translating it again at once).
  void (*on_drop)(uint32_t pc) = nullptr;

 private:
  void drop(uint32_t id);
  void forget_jump(const CachedBlock& b);
  // The line map and, through the number of marked lines in each page, the
  // page map (machine/code_watch.h).
  void mark_line(uint32_t line);
  void unmark_line(uint32_t line);
  template <class F>
  void for_each_line(const CachedBlock& b, F f) const;

  CodeMemory& memory_;
  std::vector<CachedBlock> blocks_;
  std::unordered_map<uint32_t, uint32_t> by_pc_;
  std::unordered_map<uint32_t, std::vector<uint32_t>> by_line_;
  std::vector<uint16_t> lines_in_page_;
  // Live blocks per jump-cache entry: a dropped block's entry is refilled
  // from the map only when another block shares it.
  std::vector<uint32_t> live_in_entry_;
};

}  // namespace translator
