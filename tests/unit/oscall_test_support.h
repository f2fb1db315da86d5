// Helpers for OS-call tests: a parameter block in guest memory, the call
// through its dispatcher, and D0 afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"

namespace oscalltest {

inline constexpr uint32_t kParams = 0x6000;

// One parameter of the block: a word (2 bytes) or a long (4 bytes).
struct Param {
  uint32_t value;
  unsigned bytes;
};
inline Param W(uint32_t v) {
  return {v, 2};
}
inline Param L(uint32_t v) {
  return {v, 4};
}
using Block = std::vector<Param>;

inline uint32_t d0() {
  return m68k::get_register(nullptr, m68k::kD0);
}

// Writes the block at `params`, runs the dispatcher and returns what it
// printed.
inline std::string call_with(void (*dispatch)(uint32_t), const Block& block,
                             uint32_t params = kParams) {
  uint32_t at = params;
  for (const Param& p : block) {
    if (p.bytes == 2)
      machine::poke16(at, p.value);
    else
      machine::poke32(at, p.value);
    at += p.bytes;
  }
  testing::internal::CaptureStdout();
  dispatch(params);
  return testing::internal::GetCapturedStdout();
}

}  // namespace oscalltest
