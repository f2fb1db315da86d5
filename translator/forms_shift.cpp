// ASL, ASR, LSL, LSR, ROL, ROR of a data register: by an immediate count
// (1 to 8, any size) and, for LSL, LSR and ASR of any size, by a count
// register (0 to 63).
// The host shifts a zero- or sign-extended copy in 64 bits, wide enough that
// the last bit shifted out is always defined: x86 leaves the carry undefined
// for counts of the operand's width or more.
#include "translator/forms.h"

namespace translator {

namespace {

using asmjit::Label;
using m68k::Size;

unsigned bits(Size s) {
  return 8 * static_cast<unsigned>(s);
}

// The operand, zero- or sign-extended to 64 bits.
void widen(BlockEmitter& e, x86::Gp wide, x86::Gp v, Size s, bool sign) {
  if (s == Size::Byte) {
    if (sign)
      e.a.movsx(wide.r64(), v.r8());
    else
      e.a.movzx(wide, v.r8());
  } else if (s == Size::Word) {
    if (sign)
      e.a.movsx(wide.r64(), v.r16());
    else
      e.a.movzx(wide, v.r16());
  } else {
    if (sign)
      e.a.movsxd(wide.r64(), v.r32());
    else
      e.a.mov(wide.r32(), v.r32());
  }
}

// The result's low `size` bits zero-extended.
void low_bits(BlockEmitter& e, x86::Gp result, x86::Gp wide, Size s) {
  if (s == Size::Byte)
    e.a.movzx(result, wide.r8());
  else if (s == Size::Word)
    e.a.movzx(result, wide.r16());
  else
    e.a.mov(result, wide.r32());
}

// N and Z from the result, V as given (0 unless ASL), X and C from a carry
// already at bit 8 (X only when `with_x`).
void shift_flags(BlockEmitter& e, x86::Gp result, Size s, x86::Gp carry, x86::Gp overflow,
                 bool with_x) {
  e.store_flag(kFlagC, carry);
  if (with_x) e.store_flag(kFlagX, carry);
  if (overflow.isValid())
    e.store_flag(kFlagV, overflow);
  else
    e.store_flag(kFlagV, 0u);
  e.store_flag(kFlagZ, result);
  e.sign_flag(result, s);
}

// The last bit shifted out, at bit 8: for a left shift it is bit `width` of
// the widened result; for a right shift the host carry.
void left_carry(BlockEmitter& e, x86::Gp carry, x86::Gp wide, Size s) {
  e.a.mov(carry.r64(), wide.r64());
  e.a.shr(carry.r64(), bits(s) - 8);
  e.a.and_(carry, 0x100);
}

void right_carry(BlockEmitter& e, x86::Gp carry) {
  e.a.setc(carry.r8());
  e.a.movzx(carry, carry.r8());
  e.a.shl(carry, 8);
}

// ASL's V: the sign changes at some step unless the top n + 1 bits of the
// operand are all equal; once n reaches the width, unless it was 0.
x86::Gp asl_overflow(BlockEmitter& e, x86::Gp v, Size s, unsigned n) {
  const x86::Gp overflow = e.temp();
  const unsigned width = bits(s);
  widen(e, overflow, v, s, true);
  if (n < width) {
    e.a.sar(overflow.r64(), width - 1 - n);
    e.a.add(overflow.r64(), 1);
    e.a.cmp(overflow.r64(), 1);
    e.a.seta(overflow.r8());
  } else {
    e.a.test(overflow.r64(), overflow.r64());
    e.a.setnz(overflow.r8());
  }
  e.a.movzx(overflow, overflow.r8());
  e.a.shl(overflow, 7);
  return overflow;
}

// ROL, ROR: the host rotates the operand's own width (by the count modulo
// the width, as the 68000 does); C is the bit that came round, X stays.
void rotate(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Size s = in.size;
  const x86::Gp result = e.temp();
  e.read_register(result, in.dst.reg);
  const unsigned n = in.src.value;
  const x86::Gp sized = s == Size::Byte ? result.r8() : s == Size::Word ? result.r16() : result;
  if (in.shift == ShiftOp::kRol)
    e.a.rol(sized, n);
  else
    e.a.ror(sized, n);
  low_bits(e, result, result, s);
  e.queue_data_register(in.dst.reg, result, s);
  const x86::Gp carry = e.temp();
  e.a.mov(carry, result);
  if (in.shift == ShiftOp::kRor) e.a.shr(carry, bits(s) - 1);
  e.a.and_(carry, 1);
  e.a.shl(carry, 8);
  shift_flags(e, result, s, carry, x86::Gp(), false);
}

void by_immediate(BlockEmitter& e) {
  const Insn& in = e.insn();
  if (in.shift == ShiftOp::kRol || in.shift == ShiftOp::kRor) return rotate(e);
  const Size s = in.size;
  const unsigned n = in.src.value;
  const bool left = in.shift == ShiftOp::kLsl || in.shift == ShiftOp::kAsl;
  const x86::Gp v = e.temp();
  e.read_register(v, in.dst.reg);
  const x86::Gp wide = e.temp();
  const x86::Gp carry = e.temp();
  widen(e, wide, v, s, in.shift == ShiftOp::kAsr);
  if (left) {
    e.a.shl(wide.r64(), n);
    left_carry(e, carry, wide, s);
  } else {
    if (in.shift == ShiftOp::kAsr)
      e.a.sar(wide.r64(), n);
    else
      e.a.shr(wide.r64(), n);
    right_carry(e, carry);
  }
  x86::Gp overflow;
  if (in.shift == ShiftOp::kAsl && e.live(kFlagV)) overflow = asl_overflow(e, v, s, n);
  const x86::Gp result = e.temp();
  low_bits(e, result, wide, s);
  e.queue_data_register(in.dst.reg, result, s);
  shift_flags(e, result, s, carry, overflow, true);
}

// Any size by Dx mod 64. A count of 0 leaves the register and X alone and
// clears C; any other count costs one more budget unit. The 64-bit host
// shift keeps the last bit out exact for every count up to 63: shifted
// left, a byte or word's bit `width` is 0 once the count passes the width;
// shifted right, the host carry is the sign (ASR) or 0. Without a branch, so
// both counts leave the registers and flags in the same homes: a host shift
// by 0 changes nothing, and the carry and X are chosen by the count.
void by_register(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Size s = in.size;
  const x86::Gp wide = e.temp();
  const x86::Gp carry = e.temp();
  const x86::Gp nonzero = e.temp();
  x86::Gp x;
  if (e.live(kFlagX)) {
    x = e.temp();
    e.read_flag(x, kFlagX);
  }
  // The count straight into rcx, the operand widened in place.
  e.read_register(x86::ecx, in.src.reg);
  e.read_register(wide, in.dst.reg);
  widen(e, wide, wide, s, in.shift == ShiftOp::kAsr);
  e.a.and_(x86::ecx, 63);
  e.a.setnz(nonzero.r8());
  e.a.movzx(nonzero, nonzero.r8());
  e.charge_now(nonzero);
  if (in.shift == ShiftOp::kLsl) {
    e.a.shl(wide.r64(), x86::cl);
    left_carry(e, carry, wide, s);
  } else {
    if (in.shift == ShiftOp::kAsr)
      e.a.sar(wide.r64(), x86::cl);
    else
      e.a.shr(wide.r64(), x86::cl);
    // A shift by 0 leaves the host carry as it was: masked by the count.
    e.a.setc(carry.r8());
    e.a.and_(carry.r8(), nonzero.r8());
    e.a.movzx(carry, carry.r8());
    e.a.shl(carry, 8);
  }
  const x86::Gp result = e.temp();
  low_bits(e, result, wide, s);
  e.queue_data_register(in.dst.reg, result, s);
  if (x.isValid()) {
    e.a.test(nonzero, nonzero);
    e.a.cmovnz(x, carry);
  }
  shift_flags(e, result, s, carry, x86::Gp(), false);
  if (x.isValid()) e.store_flag(kFlagX, x);
}

}  // namespace

void emit_shift_form(BlockEmitter& e) {
  if (e.insn().src.mode == m68k::Ea::Dn)
    by_register(e);
  else
    by_immediate(e);
}

}  // namespace translator
