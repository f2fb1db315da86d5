// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// BTST, BCHG, BCLR, BSET.
//
// One handler template serves all four: the operation says what becomes of
// the tested bit, the bit-number source is a data register or an immediate
// word, and the destination mode picks a whole data register (bit number
// mod 32) or one byte (bit number mod 8). Only Z changes; X, N, V and C keep
// their values.
#pragma once

#include "cpu/decode_table.h"
#include "cpu/flags.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::bit_ops {
namespace {

struct Btst {
  static constexpr bool kWrites = false;
  static uint32_t apply(uint32_t v, uint32_t) { return v; }
};
struct Bchg {
  static constexpr bool kWrites = true;
  static uint32_t apply(uint32_t v, uint32_t mask) { return v ^ mask; }
};
struct Bclr {
  static constexpr bool kWrites = true;
  static uint32_t apply(uint32_t v, uint32_t mask) { return v & ~mask; }
};
struct Bset {
  static constexpr bool kWrites = true;
  static uint32_t apply(uint32_t v, uint32_t mask) { return v | mask; }
};

// The immediate bit number comes before any extension word of the
// destination; the register one is read before the destination is evaluated.
template <class Op, bool ImmediateBit, Ea M>
void bit_op() {
  const uint32_t bit = ImmediateBit ? fetch16() : dreg(ir_high_reg());
  if constexpr (M == Ea::Dn) {
    uint32_t& d = dreg(ir_low_reg());
    const uint32_t mask = 1u << (bit & 31);
    set_z(d & mask);
    if constexpr (Op::kWrites) d = Op::apply(d, mask);
  } else {
    Operand<Size::Byte, M> op;
    const uint32_t v = op.evaluate_and_read();
    const uint32_t mask = 1u << (bit & 7);
    set_z(v & mask);
    if constexpr (Op::kWrites) op.write(Op::apply(v, mask));
  }
}

struct BitKind {
  uint32_t op;          // bits 6-7 of the opcode
  const char* family;   // bucket name
  uint8_t on_register;  // 68000 timing with a register bit number on Dn
  uint8_t on_memory;    // the same on memory, without the address calculation
};

template <class Op, bool ImmediateBit, Ea M>
constexpr void add_bit_row(RowSink& add_row, const BitKind& k) {
  const uint32_t base = (ImmediateBit ? 0x0800 : 0x0100) | (k.op << 6);
  // The immediate bit number costs a fetch of 4 more.
  const unsigned extra = ImmediateBit ? 4 : 0;
  const uint8_t c =
      static_cast<uint8_t>(extra + (M == Ea::Dn ? k.on_register : k.on_memory + ea_calc_cycles(M)));
  add_row(&bit_op<Op, ImmediateBit, M>, ea_row_mask(M, !ImmediateBit), base | ea_bits(M), k.family,
          c, c, Op::kWrites ? 6 : 4);
}

// Byte (An)+ and -(An) on A7 step by 2: their rows come after the general
// ones so they take the A7 slots over.
template <class Op, bool ImmediateBit, Ea... Ms>
constexpr void add_bit_rows_for(RowSink& add_row, EaList<Ms...>, const BitKind& k) {
  (add_bit_row<Op, ImmediateBit, Ms>(add_row, k), ...);
  add_bit_row<Op, ImmediateBit, Ea::PostIncA7>(add_row, k);
  add_bit_row<Op, ImmediateBit, Ea::PreDecA7>(add_row, k);
}

using AlterableTargets =
    EaList<Ea::Dn, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL>;
using TestTargets = EaList<Ea::Dn, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW,
                           Ea::AbsL, Ea::PcDisp, Ea::PcIndex>;
// With a register bit number BTST can also test a bit of an immediate byte.
using RegisterTestTargets = EaList<Ea::Dn, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index,
                                   Ea::AbsW, Ea::AbsL, Ea::PcDisp, Ea::PcIndex, Ea::Imm>;

template <class Op, class Targets, class ImmTargets>
constexpr void add_instruction_rows(RowSink& add_row, const BitKind& k) {
  add_bit_rows_for<Op, false>(add_row, Targets{}, k);
  add_bit_rows_for<Op, true>(add_row, ImmTargets{}, k);
}

}  // namespace

constexpr void add_bit_rows(RowSink& add_row) {
  // 0000 rrr1 00 eee eee  BTST Dn,<ea>
  // 0000 1000 00 eee eee  BTST #<data>,<ea>
  add_instruction_rows<Btst, RegisterTestTargets, TestTargets>(add_row, {0, "BTST", 6, 4});
  // 0000 rrr1 01 eee eee  BCHG Dn,<ea>
  // 0000 1000 01 eee eee  BCHG #<data>,<ea>
  add_instruction_rows<Bchg, AlterableTargets, AlterableTargets>(add_row, {1, "BCHG", 8, 8});
  // 0000 rrr1 10 eee eee  BCLR Dn,<ea>
  // 0000 1000 10 eee eee  BCLR #<data>,<ea>
  add_instruction_rows<Bclr, AlterableTargets, AlterableTargets>(add_row, {2, "BCLR", 10, 8});
  // 0000 rrr1 11 eee eee  BSET Dn,<ea>
  // 0000 1000 11 eee eee  BSET #<data>,<ea>
  add_instruction_rows<Bset, AlterableTargets, AlterableTargets>(add_row, {3, "BSET", 8, 8});
}

}  // namespace m68k::bit_ops
