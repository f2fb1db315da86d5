// Entry points of the tier that translated code and the MemoryBus call when
// a write reaches a line holding translated code.
#pragma once

#include <cstdint>

namespace translator {

// A write of `size` bytes at the 24-bit `address` is about to happen or has
// happened: every translation of those bytes is dropped.
void translated_code_written(uint32_t address, uint32_t size);

// Lockstep builds: every store of translated code, before it is made.
void lockstep_translated_store(uint32_t address, uint32_t size, uint32_t value);

}  // namespace translator
