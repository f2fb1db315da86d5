// Integer ALU operations shared by the arithmetic and logic handlers.
//
// Each operation is a type with static members per size:
//   result<S>(s, d)  the value to write back (byte and word add/subtract
//                    results are widened: bit 8 after the sign shift is the
//                    carry or borrow);
//   flags<S>(s, d, r) the flag stores;
//   kOrder           when the flags are stored relative to the write.
// Unary operations take only the destination: result<S>(d), flags<S>(d, r).
// The handler shapes below take the operation as a template parameter, so
// every flag formula exists once and is instantiated for each operand
// location the decode rows name.
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"
#include "cpu/flags.h"
#include "cpu/operand.h"

namespace m68k::alu {

// Position of the flag stores relative to the destination write. The order
// is visible to host code that runs inside a trap-channel write.
enum class Order { FlagsFirst, WriteFirst, NoWrite };

// Z for ADDX, SUBX and NEGX can only be cleared, so that multi-precision
// chains leave Z set only when every part was zero.
enum class ZRule { Set, ClearOnly };

template <Size S, ZRule Z>
inline void store_z(uint32_t r) {
  if constexpr (Z == ZRule::Set)
    set_z(r & kSizeMask<S>);
  else
    set_z(cpu.flag_z | (r & kSizeMask<S>));
}

// r = s + d (+ X). Byte and word: r is widened, so one shift brings the
// sign to bit 7 and the carry to bit 8. Long: without X in (the operations
// whose Z is set), the sum wrapped exactly when it is below an operand;
// with X in, the carry out of bit 31 is reconstructed from the operand and
// result sign bits.
template <Size S, ZRule Z>
inline void add_flags(uint32_t s, uint32_t d, uint32_t r) {
  if constexpr (S == Size::Long) {
    set_n(r >> 24);
    set_v(((s ^ r) & (d ^ r)) >> 24);
    if constexpr (Z == ZRule::Set)
      set_xc(r < s ? 0x100 : 0);
    else
      set_xc(((s & d) | (~r & (s | d))) >> 23);
  } else {
    set_n(r >> kSignShift<S>);
    set_xc(r >> kSignShift<S>);
    set_v(((s ^ r) & (d ^ r)) >> kSignShift<S>);
  }
  store_z<S, Z>(r);
}

// r = d - s (- X). Widened byte and word results go negative on a borrow,
// which sets bit 8 after the sign shift. Long: without X in, a borrow is
// d below s; with X in, it is reconstructed from the sign bits. WithX false
// is the compare, which leaves X alone.
template <Size S, ZRule Z, bool WithX>
inline void sub_flags(uint32_t s, uint32_t d, uint32_t r) {
  uint32_t borrow;
  if constexpr (S == Size::Long) {
    set_n(r >> 24);
    set_v(((s ^ d) & (d ^ r)) >> 24);
    if constexpr (Z == ZRule::Set)
      borrow = d < s ? 0x100 : 0;
    else
      borrow = ((s & r) | (~d & (s | r))) >> 23;
  } else {
    borrow = r >> kSignShift<S>;
    set_n(borrow);
    set_v(((s ^ d) & (d ^ r)) >> kSignShift<S>);
  }
  if constexpr (WithX)
    set_xc(borrow);
  else
    set_c(borrow);
  store_z<S, Z>(r);
}

// The logic operations share one flag rule: N and Z from the result, V and
// C cleared, X kept. Binary and unary operations take it from these bases.
struct LogicFlags {
  template <Size S>
  static void flags(uint32_t, uint32_t, uint32_t r) {
    set_nz_clear_vc<S>(r);
  }
};
struct LogicUnaryFlags {
  static constexpr bool kReads = true;
  template <Size S>
  static void flags(uint32_t, uint32_t r) {
    set_nz_clear_vc<S>(r);
  }
};

// --- Binary operations: source s, destination d -----------------------------

struct Add {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return s + d;
  }
  template <Size S>
  static void flags(uint32_t s, uint32_t d, uint32_t r) {
    add_flags<S, ZRule::Set>(s, d, r);
  }
};

struct Sub {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return d - s;
  }
  template <Size S>
  static void flags(uint32_t s, uint32_t d, uint32_t r) {
    sub_flags<S, ZRule::Set, true>(s, d, r);
  }
};

struct Cmp {
  static constexpr Order kOrder = Order::NoWrite;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return d - s;
  }
  template <Size S>
  static void flags(uint32_t s, uint32_t d, uint32_t r) {
    sub_flags<S, ZRule::Set, false>(s, d, r);
  }
};

struct AddX {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return s + d + extend_bit();
  }
  template <Size S>
  static void flags(uint32_t s, uint32_t d, uint32_t r) {
    add_flags<S, ZRule::ClearOnly>(s, d, r);
  }
};

struct SubX {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return d - s - extend_bit();
  }
  template <Size S>
  static void flags(uint32_t s, uint32_t d, uint32_t r) {
    sub_flags<S, ZRule::ClearOnly, true>(s, d, r);
  }
};

// Address arithmetic: whole register, no flag store.
struct AddAddress {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return s + d;
  }
  template <Size S>
  static void flags(uint32_t, uint32_t, uint32_t) {}
};

struct SubAddress {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return d - s;
  }
  template <Size S>
  static void flags(uint32_t, uint32_t, uint32_t) {}
};

struct And : LogicFlags {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return d & s;
  }
};

struct Or : LogicFlags {
  static constexpr Order kOrder = Order::WriteFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return d | s;
  }
};

struct Eor : LogicFlags {
  static constexpr Order kOrder = Order::WriteFirst;
  template <Size S>
  static uint32_t result(uint32_t s, uint32_t d) {
    return d ^ s;
  }
};

// --- Unary operations: destination d only -----------------------------------
// kReads false: the destination is written without being read first.

// Negation is subtraction from zero: with d = 0 the subtract formulas give
// V = (D AND R) and C = (D OR R) at the sign position.
struct Neg {
  static constexpr Order kOrder = Order::FlagsFirst;
  static constexpr bool kReads = true;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return 0u - d;
  }
  template <Size S>
  static void flags(uint32_t d, uint32_t r) {
    sub_flags<S, ZRule::Set, true>(d, 0, r);
  }
};

struct NegX {
  static constexpr Order kOrder = Order::FlagsFirst;
  static constexpr bool kReads = true;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return 0u - d - extend_bit();
  }
  template <Size S>
  static void flags(uint32_t d, uint32_t r) {
    sub_flags<S, ZRule::ClearOnly, true>(d, 0, r);
  }
};

struct Clr {
  static constexpr Order kOrder = Order::WriteFirst;
  static constexpr bool kReads = false;
  template <Size S>
  static uint32_t result(uint32_t) {
    return 0;
  }
  template <Size S>
  static void flags(uint32_t, uint32_t) {
    set_nz_clear_vc<S>(0);
  }
};

struct Not : LogicUnaryFlags {
  static constexpr Order kOrder = Order::WriteFirst;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return ~d & kSizeMask<S>;
  }
};

struct Tst : LogicUnaryFlags {
  static constexpr Order kOrder = Order::NoWrite;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return d;
  }
};

// Flags from the byte as read, then bit 7 set. No indivisible bus cycle:
// an ordinary read followed by an ordinary write.
struct Tas {
  static constexpr Order kOrder = Order::FlagsFirst;
  static constexpr bool kReads = true;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return d | 0x80;
  }
  template <Size S>
  static void flags(uint32_t d, uint32_t) {
    set_nz_clear_vc<S>(d);
  }
};

// --- Handler shapes ---------------------------------------------------------

// Binary operation on a destination operand: the result, masked to the
// size, and the flags, stored in the operation's order.
template <class Op, Size S, class Dst>
VELLUM_ALWAYS_INLINE void finish(const Dst& dst, uint32_t s, uint32_t d) {
  const uint32_t r = Op::template result<S>(s, d);
  if constexpr (Op::kOrder != Order::WriteFirst) Op::template flags<S>(s, d, r);
  if constexpr (Op::kOrder != Order::NoWrite) dst.write(r & kSizeMask<S>);
  if constexpr (Op::kOrder == Order::WriteFirst) Op::template flags<S>(s, d, r);
}

// <ea>,Dn: source in bits 0-5, destination Dn in bits 9-11.
template <class Op, Size S, Ea M>
void ea_to_dn() {
  Operand<S, M> src;
  src.evaluate();
  const Operand<S, Ea::Dn, 9> dst;
  finish<Op, S>(dst, src.read(), dst.read());
}

// Dn,<ea>: source Dn in bits 9-11, read-modify-write destination in 0-5.
template <class Op, Size S, Ea M>
void dn_to_ea() {
  const uint32_t s = dreg(ir_high_reg()) & kSizeMask<S>;
  Operand<S, M> dst;
  dst.evaluate();
  finish<Op, S>(dst, s, dst.read());
}

// #imm,<ea>: the immediate comes before the destination's extension words.
template <class Op, Size S, Ea M>
void imm_to_ea() {
  const uint32_t s = fetch_immediate<S>();
  Operand<S, M> dst;
  dst.evaluate();
  finish<Op, S>(dst, s, dst.read());
}

// Single-operand read-modify-write (or write-only when the operation does
// not read).
template <class Op, Size S, Ea M>
void unary() {
  Operand<S, M> dst;
  dst.evaluate();
  uint32_t d = 0;
  if constexpr (Op::kReads) d = dst.read();
  const uint32_t r = Op::template result<S>(d);
  if constexpr (Op::kOrder != Order::WriteFirst) Op::template flags<S>(d, r);
  if constexpr (Op::kOrder != Order::NoWrite) dst.write(r & kSizeMask<S>);
  if constexpr (Op::kOrder == Order::WriteFirst) Op::template flags<S>(d, r);
}

// --- Row helpers ------------------------------------------------------------

template <Size S>
inline constexpr unsigned kSizeIndex = S == Size::Byte   ? 0
                                       : S == Size::Word ? 1
                                                         : 2;
// The usual size field in bits 6-7: 0x00 byte, 0x40 word, 0x80 long.
template <Size S>
inline constexpr uint32_t kSizeBits = kSizeIndex<S> << 6;

// Family names of the three sizes, as the opcode map names its buckets.
struct SizedName {
  const char* name[3];
  template <Size S>
  constexpr const char* of() const {
    return name[kSizeIndex<S>];
  }
};

// Calls f.template operator()<S>() for byte, word and long.
template <class F>
constexpr void for_each_size(F f) {
  f.template operator()<Size::Byte>();
  f.template operator()<Size::Word>();
  f.template operator()<Size::Long>();
}

}  // namespace m68k::alu
