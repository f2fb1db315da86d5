#include "translator/code_memory.h"

#include <asmjit/core.h>

#include <cstring>

namespace translator {

bool CodeMemory::reserve(size_t size) {
  asmjit::VirtMem::DualMapping mapping{};
  if (asmjit::VirtMem::allocDualMapping(&mapping, size, asmjit::VirtMem::MemoryFlags::kAccessRWX) !=
      asmjit::kErrorOk)
    return false;
  rx_ = static_cast<uint8_t*>(mapping.rx);
  rw_ = static_cast<uint8_t*>(mapping.rw);
  size_ = size;
  used_ = 0;
  return true;
}

uint32_t CodeMemory::take(size_t size) {
  const uint32_t at = used_;
  used_ += static_cast<uint32_t>((size + 15) & ~size_t{15});
  return at;
}

// A jump is E9 and a displacement from the end of its five bytes; the
// displacement is written whole, through the writable view.
void CodeMemory::patch_jump(uint32_t jump_at, uint32_t to) {
  const int32_t displacement = static_cast<int32_t>(to - (jump_at + 5));
  std::memcpy(rw_ + jump_at + 1, &displacement, sizeof displacement);
}

}  // namespace translator
