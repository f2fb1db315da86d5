// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// ABCD, SBCD, NBCD: packed-decimal bytes with the X flag as carry/borrow.
//
// Z is only ever cleared, never set, so a multi-byte decimal chain that
// starts with Z set ends with Z telling whether the whole number is zero.
#pragma once

#include "cpu/decode_table.h"
#include "cpu/flags.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::bcd_ops {

namespace {

enum class Bcd { Add, Sub };

inline void set_decimal_flags(uint32_t b, bool carry, uint32_t lo) {
  set_xc(carry ? 0x100 : 0);
  set_n(b);
  set_z(cpu.flag_z | b);
  set_v(~lo & b);
}

// d + s + X or d - s - X in decimal. The subtraction is done in unsigned
// 32-bit arithmetic: a negative intermediate reads as a huge value, which is
// exactly the "10 or more" and "above 0x99" test the correction needs.
template <Bcd Op>
uint32_t decimal(uint32_t s, uint32_t d) {
  uint32_t x = extend_bit();
  uint32_t lo, r;
  bool carry;
  if constexpr (Op == Bcd::Add) {
    lo = (s & 0x0F) + (d & 0x0F) + x;
    r = lo >= 10 ? lo + 6 : lo;
    r += (s & 0xF0) + (d & 0xF0);
    carry = r > 0x99;
    if (carry) r -= 0xA0;
  } else {
    lo = (d & 0x0F) - (s & 0x0F) - x;
    r = lo >= 10 ? lo - 6 : lo;
    r += (d & 0xF0) - (s & 0xF0);
    carry = r > 0x99;
    if (carry) r += 0xA0;
  }
  uint32_t b = r & 0xFF;
  set_decimal_flags(b, carry, lo);
  return b;
}

// ABCD / SBCD: source (bits 0-2) then destination (bits 9-11), both either
// Dn or -(An); the destination is read, then written in place.
template <Bcd Op, Ea Src, Ea Dst>
void op_decimal_pair() {
  Operand<Size::Byte, Src, 0> src;
  uint32_t s = src.evaluate_and_read();
  Operand<Size::Byte, Dst, 9> dst;
  uint32_t d = dst.evaluate_and_read();
  dst.write(decimal<Op>(s, d));
}

// NBCD: 0 - d - X in decimal. A zero operand with X clear is the one case
// that yields no borrow; it leaves Z alone and writes nothing back.
template <Ea M>
void op_nbcd() {
  Operand<Size::Byte, M> op;
  uint32_t d = op.evaluate_and_read();
  uint32_t r0 = (0x9A - d - extend_bit()) & 0xFF;
  if (r0 == 0x9A) {
    set_n(0x9A);
    set_v(0);
    set_xc(0);
    return;
  }
  uint32_t r = (r0 & 0x0F) == 0x0A ? (r0 & 0xF0) + 0x10 : r0;
  uint32_t b = r & 0xFF;
  set_decimal_flags(b, true, r0);
  op.write(b);
}

// Published 68000/68010 and 68020 times; carried in the cycle tables, read
// by no handler.
constexpr uint8_t kPairRegCycles = 6, kPairMemCycles = 18;
constexpr uint8_t kPairRegCycles020 = 4, kPairMemCycles020 = 16;

// The five forms of one pair instruction. The A7 rows follow the general
// memory row so they replace its A7 slots: source A7 in bits 0-2, then
// destination A7 in bits 9-11, then both.
template <Bcd Op>
constexpr void add_pair_rows(RowSink& add_row, uint32_t base, const char* family) {
  using enum Ea;
  add_row(&op_decimal_pair<Op, Dn, Dn>, 0xF1F8, base, family, kPairRegCycles, kPairRegCycles,
          kPairRegCycles020);
  auto mem = [&](Handler h, uint32_t mask, uint32_t match) {
    add_row(h, mask, match, family, kPairMemCycles, kPairMemCycles, kPairMemCycles020);
  };
  mem(&op_decimal_pair<Op, PreDec, PreDec>, 0xF1F8, base | 0x0008);
  mem(&op_decimal_pair<Op, PreDecA7, PreDec>, 0xF1FF, base | 0x000F);
  mem(&op_decimal_pair<Op, PreDec, PreDecA7>, 0xFFF8, base | 0x0E08);
  mem(&op_decimal_pair<Op, PreDecA7, PreDecA7>, 0xFFFF, base | 0x0E0F);
}

}  // namespace

constexpr void add_bcd_rows(RowSink& add_row) {
  // 1100 xxx1 0000 0yyy  ABCD Dy,Dx
  // 1100 xxx1 0000 1yyy  ABCD -(Ay),-(Ax)
  add_pair_rows<Bcd::Add>(add_row, 0xC100, "ABCD");
  // 1000 xxx1 0000 0yyy  SBCD Dy,Dx
  // 1000 xxx1 0000 1yyy  SBCD -(Ay),-(Ax)
  add_pair_rows<Bcd::Sub>(add_row, 0x8100, "SBCD");
  // Eight data-alterable modes; the generator adds (A7)+ and -(A7).
  // 0100 1000 00 eee eee  NBCD <ea>
  add_ea_rows<Size::Byte, false>(add_row, DataAlterable{}, 0x4800, "NBCD",
                                 []<Ea M>() -> Handler { return &op_nbcd<M>; });
}

}  // namespace m68k::bcd_ops
