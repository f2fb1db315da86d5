// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// ASL, ASR, LSL, LSR, ROL, ROR, ROXL, ROXR.
//
// Each operation is defined once, as a function of (operand, count, X) that
// yields the result and the carry and overflow it produces. Three handler
// templates put it to work: a data register by an immediate count (1 to 8),
// a data register by a count in another data register (0 to 63), and a
// memory word by one. Counts of 32 and more reach the long forms, so every
// host shift below goes through shl/shr, which give 0 for a shift of 32 or
// more instead of undefined behaviour.
#pragma once

#include "cpu/decode_table.h"
#include "cpu/flags.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::shift_ops {
namespace {

inline uint32_t shl(uint32_t v, unsigned n) {
  return n < 32 ? v << n : 0;
}
inline uint32_t shr(uint32_t v, unsigned n) {
  return n < 32 ? v >> n : 0;
}
// Bit i of v at bit 8, where the carry and extend stores keep it.
inline uint32_t bit_at_8(uint32_t v, unsigned i) {
  return ((v >> i) & 1) << 8;
}

// The top min(k, size) bits of the size set; k = 0 gives 0.
template <Size S>
inline uint32_t high_bits(unsigned k) {
  constexpr uint32_t kMask = kSizeMask<S>;
  return k >= kBits<S> ? kMask : kMask ^ (kMask >> k);
}

struct ShiftOutcome {
  uint32_t result;        // masked to the size
  uint32_t carry;         // 0 or 0x100
  uint32_t overflow = 0;  // 0 or 0x80
};

// Every operation: apply<S>(value, count, x) with value masked to the size,
// 1 <= count <= 63 and x the extend store. kSetsX says whether X follows the
// carry; kCarryFromX whether a count of 0 copies X into C.

struct Lsl {
  static constexpr bool kSetsX = true;
  static constexpr bool kCarryFromX = false;
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t) {
    constexpr unsigned kS = kBits<S>;
    return {shl(v, n) & kSizeMask<S>, n <= kS ? bit_at_8(v, kS - n) : 0};
  }
};

struct Asl {
  static constexpr bool kSetsX = true;
  static constexpr bool kCarryFromX = false;
  // V is set when the sign would change at any step: unless the top n + 1
  // bits are all equal, or, once everything is shifted out, unless the
  // operand was 0.
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t x) {
    ShiftOutcome out = Lsl::apply<S>(v, n, x);
    if (n < kBits<S>) {
      uint32_t top = high_bits<S>(n + 1);
      uint32_t bits = v & top;
      out.overflow = bits != 0 && bits != top ? 0x80 : 0;
    } else {
      out.overflow = v != 0 ? 0x80 : 0;
    }
    return out;
  }
};

struct Lsr {
  static constexpr bool kSetsX = true;
  static constexpr bool kCarryFromX = false;
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t) {
    return {shr(v, n), n <= kBits<S> ? bit_at_8(v, n - 1) : 0};
  }
};

struct Asr {
  static constexpr bool kSetsX = true;
  static constexpr bool kCarryFromX = false;
  // Beyond the size every bit is the sign, and so is the last bit out.
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t) {
    constexpr unsigned kS = kBits<S>;
    const bool negative = (v >> (kS - 1)) & 1;
    if (n >= kS) return {negative ? kSizeMask<S> : 0, negative ? 0x100u : 0};
    return {(v >> n) | (negative ? high_bits<S>(n) : 0), bit_at_8(v, n - 1)};
  }
};

struct Rol {
  static constexpr bool kSetsX = false;
  static constexpr bool kCarryFromX = false;
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t) {
    constexpr unsigned kS = kBits<S>;
    const unsigned r = n & (kS - 1);
    uint32_t res = r == 0 ? v : ((v << r) | (v >> (kS - r))) & kSizeMask<S>;
    return {res, bit_at_8(res, 0)};
  }
};

struct Ror {
  static constexpr bool kSetsX = false;
  static constexpr bool kCarryFromX = false;
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t) {
    constexpr unsigned kS = kBits<S>;
    const unsigned r = n & (kS - 1);
    uint32_t res = r == 0 ? v : ((v >> r) | (v << (kS - r))) & kSizeMask<S>;
    return {res, bit_at_8(res, kS - 1)};
  }
};

// The rotates through X turn an (s + 1)-bit ring: X above the operand's top
// bit. A rotation by a multiple of s + 1 leaves the ring as it was and C
// takes X. For long, the ring is 33 bits wide and one of the two operand
// shifts can be by 32, which shl/shr turn into 0.
struct Roxl {
  static constexpr bool kSetsX = true;
  static constexpr bool kCarryFromX = true;
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t x) {
    constexpr unsigned kS = kBits<S>;
    const unsigned r = n % (kS + 1);
    if (r == 0) return {v, x & 0x100};
    uint32_t xbit = (x >> 8) & 1;
    uint32_t res = (shl(v, r) | (xbit << (r - 1)) | shr(v, kS + 1 - r)) & kSizeMask<S>;
    return {res, bit_at_8(v, kS - r)};
  }
};

struct Roxr {
  static constexpr bool kSetsX = true;
  static constexpr bool kCarryFromX = true;
  template <Size S>
  static ShiftOutcome apply(uint32_t v, unsigned n, uint32_t x) {
    constexpr unsigned kS = kBits<S>;
    const unsigned r = n % (kS + 1);
    if (r == 0) return {v, x & 0x100};
    uint32_t xbit = (x >> 8) & 1;
    uint32_t res = (shr(v, r) | (xbit << (kS - r)) | shl(v, kS + 1 - r)) & kSizeMask<S>;
    return {res, bit_at_8(v, r - 1)};
  }
};

template <class Op>
inline void store_carry(const ShiftOutcome& out) {
  if constexpr (Op::kSetsX)
    set_xc(out.carry);
  else
    set_c(out.carry);
}

template <class Op, Size S>
inline void store_flags(const ShiftOutcome& out) {
  set_n(out.result >> kSignShift<S>);
  set_z(out.result);
  set_v(out.overflow);
  store_carry<Op>(out);
}

// Dy shifted by 1 to 8; a count field of 0 means 8.
template <class Op, Size S>
void shift_dn_by_immediate() {
  const unsigned count = count_field_value(ir_high_reg());
  Operand<S, Ea::Dn> dy;
  ShiftOutcome out = Op::template apply<S>(dy.read(), count, cpu.flag_x);
  dy.write(out.result);
  store_flags<Op, S>(out);
}

// Dy shifted by Dx mod 64. A count of 0 leaves Dy alone and costs nothing
// extra; any other count costs one unit of budget.
template <class Op, Size S>
void shift_dn_by_register() {
  const unsigned count = dreg(ir_high_reg()) & 63;
  Operand<S, Ea::Dn> dy;
  const uint32_t value = dy.read();
  if (count == 0) {
    set_nz_clear_vc<S>(value);
    if constexpr (Op::kCarryFromX) set_c(cpu.flag_x & 0x100);
    return;
  }
  charge();
  ShiftOutcome out = Op::template apply<S>(value, count, cpu.flag_x);
  dy.write(out.result);
  store_flags<Op, S>(out);
}

// A memory word shifted by one. The flags follow the write, except that the
// rotates through X settle X and C before it.
template <class Op, Ea M>
void shift_memory_word() {
  Operand<Size::Word, M> op;
  const uint32_t value = op.evaluate_and_read();
  ShiftOutcome out = Op::template apply<Size::Word>(value, 1, cpu.flag_x);
  if constexpr (Op::kCarryFromX) store_carry<Op>(out);
  op.write(out.result);
  store_flags<Op, Size::Word>(out);
}

// Opcode fields: bits 3-4 (register forms) or 9-10 (memory form) select the
// kind, bit 8 the direction.
struct ShiftKind {
  uint32_t kind;          // 0 arithmetic, 1 logical, 2 rotate through X, 3 rotate
  uint32_t left;          // 1 for the left shifts
  const char* family[3];  // .b, .w, .l bucket names; memory forms use .w
};

// 68000 timings: register forms 6 (byte, word) or 8 (long) plus 2 per bit of
// count, which the table build adds for the immediate forms; the memory
// word 8 plus the address calculation.
constexpr uint8_t kRegisterCycles[3] = {6, 6, 8};

template <Ea M>
constexpr uint8_t memory_cycles() {
  switch (M) {
    case Ea::Ind:
    case Ea::PostInc:
      return 12;
    case Ea::PreDec:
      return 14;
    case Ea::Disp:
    case Ea::AbsW:
      return 16;
    case Ea::Index:
      return 18;
    default:
      return 20;
  }
}

template <class Op, Size S>
constexpr void add_register_rows(RowSink& add_row, const ShiftKind& k, unsigned size_index) {
  const uint32_t base = 0xE000 | (k.left << 8) | (size_index << 6) | (k.kind << 3);
  const uint8_t c = kRegisterCycles[size_index];
  add_row(&shift_dn_by_immediate<Op, S>, 0xF1F8, base, k.family[size_index], c, c, 6);
  add_row(&shift_dn_by_register<Op, S>, 0xF1F8, base | 0x20, k.family[size_index], c, c, 8);
}

template <class Op, Ea... Ms>
constexpr void add_memory_rows(RowSink& add_row, EaList<Ms...>, uint32_t base, const char* family) {
  (add_row(&shift_memory_word<Op, Ms>, ea_row_mask(Ms, false), base | ea_bits(Ms), family,
           memory_cycles<Ms>(), memory_cycles<Ms>(), 5),
   ...);
}

template <class Op>
constexpr void add_operation_rows(RowSink& add_row, const ShiftKind& k) {
  add_register_rows<Op, Size::Byte>(add_row, k, 0);
  add_register_rows<Op, Size::Word>(add_row, k, 1);
  add_register_rows<Op, Size::Long>(add_row, k, 2);
  add_memory_rows<Op>(add_row, MemoryAlterable{}, 0xE0C0 | (k.kind << 9) | (k.left << 8),
                      k.family[1]);
}

}  // namespace

constexpr void add_shift_rows(RowSink& add_row) {
  // 1110 qqq0 ss00 0rrr  ASR #<count>,Dn
  // 1110 xxx0 ss10 0yyy  ASR Dx,Dy
  // 1110 0000 11 eee eee  ASR <ea>
  add_operation_rows<Asr>(add_row, {0, 0, {"ASR.b", "ASR.w", "ASR.l"}});
  // 1110 qqq1 ss00 0rrr  ASL #<count>,Dn
  // 1110 xxx1 ss10 0yyy  ASL Dx,Dy
  // 1110 0001 11 eee eee  ASL <ea>
  add_operation_rows<Asl>(add_row, {0, 1, {"ASL.b", "ASL.w", "ASL.l"}});
  // 1110 qqq0 ss00 1rrr  LSR #<count>,Dn
  // 1110 xxx0 ss10 1yyy  LSR Dx,Dy
  // 1110 0010 11 eee eee  LSR <ea>
  add_operation_rows<Lsr>(add_row, {1, 0, {"LSR.b", "LSR.w", "LSR.l"}});
  // 1110 qqq1 ss00 1rrr  LSL #<count>,Dn
  // 1110 xxx1 ss10 1yyy  LSL Dx,Dy
  // 1110 0011 11 eee eee  LSL <ea>
  add_operation_rows<Lsl>(add_row, {1, 1, {"LSL.b", "LSL.w", "LSL.l"}});
  // 1110 qqq0 ss01 0rrr  ROXR #<count>,Dn
  // 1110 xxx0 ss11 0yyy  ROXR Dx,Dy
  // 1110 0100 11 eee eee  ROXR <ea>
  add_operation_rows<Roxr>(add_row, {2, 0, {"ROXR.b", "ROXR.w", "ROXR.l"}});
  // 1110 qqq1 ss01 0rrr  ROXL #<count>,Dn
  // 1110 xxx1 ss11 0yyy  ROXL Dx,Dy
  // 1110 0101 11 eee eee  ROXL <ea>
  add_operation_rows<Roxl>(add_row, {2, 1, {"ROXL.b", "ROXL.w", "ROXL.l"}});
  // 1110 qqq0 ss01 1rrr  ROR #<count>,Dn
  // 1110 xxx0 ss11 1yyy  ROR Dx,Dy
  // 1110 0110 11 eee eee  ROR <ea>
  add_operation_rows<Ror>(add_row, {3, 0, {"ROR.b", "ROR.w", "ROR.l"}});
  // 1110 qqq1 ss01 1rrr  ROL #<count>,Dn
  // 1110 xxx1 ss11 1yyy  ROL Dx,Dy
  // 1110 0111 11 eee eee  ROL <ea>
  add_operation_rows<Rol>(add_row, {3, 1, {"ROL.b", "ROL.w", "ROL.l"}});
}

}  // namespace m68k::shift_ops
