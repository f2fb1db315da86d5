#include "translator/block_cache.h"

#include <algorithm>

#include "machine/code_watch.h"
#include "translator/tier_state.h"

namespace translator {

namespace {

constexpr bool kWatchEveryLine = VELLUM_LOCKSTEP;

}  // namespace

// A dropped block's jump-cache entry goes to another live block of the same
// entry when there is one: the dispatcher takes an empty entry to mean that
// nothing there is translated.
void BlockCache::forget_jump(const CachedBlock& b) {
  const uint32_t index = jump_cache_index(b.pc);
  --live_in_entry_[index];
  JumpEntry& e = tier_shared.jump_cache[index];
  if (e.pc != b.pc || e.code != memory_.rx(b.code)) return;
  e = JumpEntry{0, 0, jump_miss_stub};
  if (live_in_entry_[index] == 0) return;
  for (const auto& [pc, id] : by_pc_) {
    if (jump_cache_index(pc) != index) continue;
    e = JumpEntry{pc, 0, memory_.rx(blocks_[id].code)};
    return;
  }
}

BlockCache::BlockCache(CodeMemory& memory)
    : memory_(memory),
      lines_in_page_(machine::kCodePageCount, 0),
      live_in_entry_(kJumpCacheSize, 0) {}

void BlockCache::mark_line(uint32_t line) {
  if (kWatchEveryLine || machine::code_lines[line]) return;
  machine::code_lines[line] = 1;
  const uint32_t page = line >> (machine::kCodePageShift - machine::kCodeLineShift);
  if (lines_in_page_[page]++ == 0) machine::code_pages[page] = 1;
}

void BlockCache::unmark_line(uint32_t line) {
  if (kWatchEveryLine || !machine::code_lines[line]) return;
  machine::code_lines[line] = 0;
  const uint32_t page = line >> (machine::kCodePageShift - machine::kCodeLineShift);
  if (--lines_in_page_[page] == 0) machine::code_pages[page] = 0;
}

// A block's lines start 3 bytes before its first byte: a write of up to 4
// bytes looked up by its first address must find it.
template <class F>
void BlockCache::for_each_line(const CachedBlock& b, F f) const {
  const uint32_t from = (b.first >= 3 ? b.first - 3 : 0) >> machine::kCodeLineShift;
  const uint32_t to = (b.end - 1) >> machine::kCodeLineShift;
  for (uint32_t line = from; line <= to; ++line) f(line);
}

int32_t BlockCache::find(uint32_t pc) const {
  const auto it = by_pc_.find(pc);
  return it == by_pc_.end() ? -1 : static_cast<int32_t>(it->second);
}

uint32_t BlockCache::add(CachedBlock block) {
  const uint32_t id = next_id();
  block.linked.assign(block.exits.size(), -1);
  blocks_.push_back(std::move(block));
  const CachedBlock& b = blocks_.back();
  by_pc_[b.pc] = id;
  ++live_in_entry_[jump_cache_index(b.pc)];
  for_each_line(b, [&](uint32_t line) {
    by_line_[line].push_back(id);
    mark_line(line);
  });
  return id;
}

void BlockCache::link(uint32_t from, uint32_t exit) {
  CachedBlock& b = blocks_[from];
  if (!b.live || exit >= b.exits.size() || b.linked[exit] >= 0) return;
  const int32_t to = find(b.exits[exit].target);
  if (to < 0) return;
  memory_.patch_jump(b.exits[exit].jump_at, blocks_[to].code);
  b.linked[exit] = to;
  blocks_[to].incoming.emplace_back(from, exit);
}

void BlockCache::drop(uint32_t id) {
  CachedBlock& b = blocks_[id];
  if (!b.live) return;
  b.live = false;
  const auto it = by_pc_.find(b.pc);
  if (it != by_pc_.end() && it->second == id) by_pc_.erase(it);
  forget_jump(b);
  // Jumps into this block go back to their stubs, and its own links are
  // forgotten by their targets.
  for (const auto& [from, exit] : b.incoming) {
    CachedBlock& source = blocks_[from];
    if (source.linked[exit] != static_cast<int32_t>(id)) continue;
    memory_.patch_jump(source.exits[exit].jump_at, source.exits[exit].stub_at);
    source.linked[exit] = -1;
  }
  b.incoming.clear();
  for (uint32_t exit = 0; exit < b.exits.size(); ++exit) {
    if (b.linked[exit] < 0) continue;
    auto& in = blocks_[b.linked[exit]].incoming;
    in.erase(std::remove(in.begin(), in.end(), std::make_pair(id, exit)), in.end());
    b.linked[exit] = -1;
  }
  for_each_line(b, [&](uint32_t line) {
    auto found = by_line_.find(line);
    if (found == by_line_.end()) return;
    auto& ids = found->second;
    ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
    if (ids.empty()) {
      by_line_.erase(found);
      unmark_line(line);
    }
  });
  tier_shared.code_changed = 1;
  if (on_drop) on_drop(b.pc);
}

unsigned BlockCache::drop_written(uint32_t address, uint32_t size) {
  if (size == 0) return 0;
  const uint32_t last = address + size - 1;
  std::vector<uint32_t> hit;
  auto overlaps = [&](const CachedBlock& b) {
    return b.live && b.first <= last && address < b.end;
  };
  const uint32_t first_line = address >> machine::kCodeLineShift;
  const uint32_t last_line = last >> machine::kCodeLineShift;
  if (last_line - first_line + 1 > by_line_.size()) {
    // A long host write (a file read, a cleared memory): fewer blocks than
    // lines to look at.
    for (uint32_t id = 0; id < blocks_.size(); ++id)
      if (overlaps(blocks_[id])) hit.push_back(id);
  } else {
    for (uint32_t line = first_line; line <= last_line; ++line) {
      const auto found = by_line_.find(line);
      if (found == by_line_.end()) continue;
      for (uint32_t id : found->second)
        if (overlaps(blocks_[id])) hit.push_back(id);
    }
  }
  for (uint32_t id : hit) drop(id);
  return static_cast<unsigned>(hit.size());
}

void BlockCache::clear() {
  for (const auto& [line, ids] : by_line_) unmark_line(line);
  by_line_.clear();
  by_pc_.clear();
  blocks_.clear();
  std::fill(live_in_entry_.begin(), live_in_entry_.end(), 0);
}

}  // namespace translator
