// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// MULU.W, MULS.W, DIVU.W, DIVS.W: a 16-bit source against the data register
// in bits 9-11, which receives the 32-bit product, or the remainder and
// quotient of its 32-bit dividend.
#pragma once

#include "cpu/decode_table.h"
#include "cpu/exceptions.h"
#include "cpu/flags.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::muldiv_ops {

namespace {

enum class MulDiv { Mulu, Muls, Divu, Divs };

constexpr bool is_signed(MulDiv op) {
  return op == MulDiv::Muls || op == MulDiv::Divs;
}
constexpr bool is_divide(MulDiv op) {
  return op == MulDiv::Divu || op == MulDiv::Divs;
}

// Word operand, zero- or sign-extended for the operation. 64 bits wide so
// that the divide below can never meet INT32_MIN / -1.
template <MulDiv Op>
int64_t widen_word(uint32_t w) {
  if constexpr (is_signed(Op))
    return static_cast<int16_t>(w);
  else
    return w & 0xFFFF;
}

// Both products fit 32 bits (0xFFFF * 0xFFFF unsigned, 0x8000 * 0x8000
// signed), so Dx takes the product whole and V is always clear.
template <MulDiv Op>
void multiply(uint32_t& dx, uint32_t source) {
  uint32_t p = static_cast<uint32_t>(widen_word<Op>(source) * widen_word<Op>(dx));
  dx = p;
  set_nz_clear_vc<Size::Long>(p);
}

// A quotient that does not fit 16 bits (signed for DIVS) leaves Dx alone
// and reports V; that includes 0x80000000 / -1, whose true quotient 2^31 is
// as unrepresentable as any other. X, N and Z are not touched then; C is
// cleared by every divide that completes.
template <MulDiv Op>
void divide(uint32_t& dx, uint32_t source) {
  int64_t divisor = widen_word<Op>(source);
  if (divisor == 0) {
    // The source is already fetched: PC is past the extension words and an
    // (An)+ / -(An) register has stepped.
    exception_entry(kVectorZeroDivide, cpu.pc);
    return;
  }
  int64_t dividend;
  if constexpr (is_signed(Op))
    dividend = static_cast<int32_t>(dx);
  else
    dividend = dx;
  int64_t q = dividend / divisor;  // truncates toward zero
  int64_t r = dividend % divisor;  // takes the dividend's sign
  constexpr int64_t kLow = is_signed(Op) ? -32768 : 0;
  constexpr int64_t kHigh = is_signed(Op) ? 32767 : 0xFFFF;
  set_c(0);
  if (q < kLow || q > kHigh) {
    set_v(0x80);
    return;
  }
  uint32_t quotient = static_cast<uint32_t>(q) & 0xFFFF;
  dx = ((static_cast<uint32_t>(r) & 0xFFFF) << 16) | quotient;
  set_z(quotient);
  set_n(quotient >> 8);
  set_v(0);
}

template <MulDiv Op, Ea M>
void op_muldiv() {
  Operand<Size::Word, M> src;
  uint32_t source = src.evaluate_and_read();
  uint32_t& dx = dreg(ir_high_reg());
  if constexpr (is_divide(Op))
    divide<Op>(dx, source);
  else
    multiply<Op>(dx, source);
}

struct MulDivForm {
  uint32_t base;
  const char* family;
  uint8_t c68000, c68010, c68020;  // register-source times (worst case)
};

// Word sources have no A7 byte forms: one row per mode, with its time.
template <MulDiv Op, Ea... Ms>
constexpr void add_timed_rows(RowSink& add_row, EaList<Ms...>, const MulDivForm& f) {
  (add_row(&op_muldiv<Op, Ms>, ea_row_mask(Ms, true), f.base | ea_bits(Ms), f.family,
           static_cast<uint8_t>(f.c68000 + ea_calc_cycles(Ms)),
           static_cast<uint8_t>(f.c68010 + ea_calc_cycles(Ms)), f.c68020),
   ...);
}

}  // namespace

constexpr void add_muldiv_rows(RowSink& add_row) {
  // 1100 rrr0 11 eee eee  MULU.W <ea>,Dn
  // 1100 rrr1 11 eee eee  MULS.W <ea>,Dn
  // 1000 rrr0 11 eee eee  DIVU.W <ea>,Dn
  // 1000 rrr1 11 eee eee  DIVS.W <ea>,Dn
  add_timed_rows<MulDiv::Mulu>(add_row, DataModes{}, {0xC0C0, "MULU", 70, 40, 27});
  add_timed_rows<MulDiv::Muls>(add_row, DataModes{}, {0xC1C0, "MULS", 70, 42, 28});
  add_timed_rows<MulDiv::Divu>(add_row, DataModes{}, {0x80C0, "DIVU", 140, 108, 44});
  add_timed_rows<MulDiv::Divs>(add_row, DataModes{}, {0x81C0, "DIVS", 158, 122, 56});
}

}  // namespace m68k::muldiv_ops
