// The flag stores and the small rules that fill them, each written once.
//
// X and C live at bit 8, N and V at bit 7, Z is set when the Z store is 0
// (see CpuState). Every store goes through store_word: left to itself, GCC's
// basic-block vectoriser merges the neighbouring 32-bit flag stores of a
// handler (and the PC and instruction-address stores of the fetch) into one
// 64- or 128-bit store, and the next instruction's 32-bit load of one flag
// cannot be forwarded from that wider store: it waits until the store has
// reached the cache. A volatile store is never merged.
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"
#include "cpu/operand.h"

namespace m68k {

inline void store_word(uint32_t& word, uint32_t v) {
  *static_cast<volatile uint32_t*>(&word) = v;
}

inline void set_x(uint32_t v) {
  store_word(cpu.flag_x, v);
}
inline void set_n(uint32_t v) {
  store_word(cpu.flag_n, v);
}
inline void set_z(uint32_t v) {
  store_word(cpu.flag_z, v);
}
inline void set_v(uint32_t v) {
  store_word(cpu.flag_v, v);
}
inline void set_c(uint32_t v) {
  store_word(cpu.flag_c, v);
}
// Carry and extend together, as every operation that sets X does.
inline void set_xc(uint32_t v) {
  set_c(v);
  set_x(v);
}

// X as 0 or 1: the carry or borrow into ADDX, SUBX, NEGX, the rotates
// through X and the decimal operations.
inline uint32_t extend_bit() {
  return (cpu.flag_x >> 8) & 1;
}

// N and Z from a result of the size, V and C cleared, X kept: MOVE, the
// logic operations, TST, EXT, SWAP, MULU/MULS and a shift by 0.
template <Size S>
inline void set_nz_clear_vc(uint32_t r) {
  set_n(r >> kSignShift<S>);
  set_z(r & kSizeMask<S>);
  set_v(0);
  set_c(0);
}

}  // namespace m68k
