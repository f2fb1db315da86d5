// Host code memory: one region mapped twice, once readable and executable
// (where translated code runs) and once readable and writable (where it is
// written and where chained jumps are patched), so no page is ever writable
// and executable at once. Blocks are placed one after the other; a full
// region is emptied whole.
#pragma once

#include <cstddef>
#include <cstdint>

namespace translator {

class CodeMemory {
 public:
  // Maps the region; false when the host refuses.
  bool reserve(size_t size);
  bool reserved() const { return rx_ != nullptr; }

  uint8_t* rx(uint32_t offset) const { return rx_ + offset; }
  uint8_t* rw(uint32_t offset) const { return rw_ + offset; }
  uint32_t used() const { return used_; }
  size_t free_space() const { return size_ - used_; }
  // Takes `size` bytes (16-aligned) at the end; the caller checked the space.
  uint32_t take(size_t size);
  // Forgets everything from `offset` on (the permanent stubs stay below it).
  void truncate(uint32_t offset) { used_ = offset; }
  // Rewrites the 32-bit displacement of the jump at `jump_at` to reach `to`.
  void patch_jump(uint32_t jump_at, uint32_t to);

 private:
  uint8_t* rx_ = nullptr;
  uint8_t* rw_ = nullptr;
  size_t size_ = 0;
  uint32_t used_ = 0;
};

}  // namespace translator
