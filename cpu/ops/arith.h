// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// ADD, SUB and CMP in all their forms (register, memory, address, immediate,
// quick, extended, CMPM), NEG, NEGX and CLR. The operations themselves live
// in alu_ops.h; this file holds the operand shapes peculiar to arithmetic
// and the decode rows.
#pragma once

#include "cpu/alu_ops.h"
#include "cpu/decode_table.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::arith_ops {

using namespace alu;

namespace {

// <ea>,An for ADDA, SUBA and CMPA: always a long operation on the whole
// register, a word source sign-extended first.
template <class Op, Size S, Ea M>
void ea_to_an() {
  Operand<S, M> src;
  src.evaluate();
  const uint32_t s = static_cast<uint32_t>(sign_extend<S>(src.read()));
  const Operand<Size::Long, Ea::An, 9> dst;
  finish<Op, Size::Long>(dst, s, dst.read());
}

// Quick value in bits 9-11, where 0 stands for 8.
inline uint32_t quick_value() {
  return count_field_value(ir_high_reg());
}

template <class Op, Size S, Ea M>
void quick_to_ea() {
  const uint32_t q = quick_value();
  Operand<S, M> dst;
  dst.evaluate();
  finish<Op, S>(dst, q, dst.read());
}

// ADDQ/SUBQ to An: word and long alike act on all 32 bits, no flags.
template <class Op>
void quick_to_an() {
  const Operand<Size::Long, Ea::An> dst;
  finish<Op, Size::Long>(dst, quick_value(), dst.read());
}

// ADDX/SUBX Dy,Dx.
template <class Op, Size S>
void x_registers() {
  const Operand<S, Ea::Dn> src;
  const Operand<S, Ea::Dn, 9> dst;
  finish<Op, S>(dst, src.read(), dst.read());
}

// -(Ay),-(Ax) for ADDX/SUBX and (Ay)+,(Ax)+ for CMPM: the source is stepped
// and read completely before the destination is stepped, read and (unless
// the operation only compares) written.
template <class Op, Size S, Ea SrcM, Ea DstM>
void memory_pair() {
  Operand<S, SrcM> src;
  src.evaluate();
  const uint32_t s = src.read();
  Operand<S, DstM, 9> dst;
  dst.evaluate();
  finish<Op, S>(dst, s, dst.read());
}

// Rows for one memory-pair instruction. Byte forms on A7 step by 2, so A7
// as source, destination or both gets its own row after the general one.
template <class Op, Size S, Ea M, Ea MA7>
constexpr void add_pair_rows(RowSink& add_row, uint32_t base, const char* family) {
  add_row(&memory_pair<Op, S, M, M>, 0xF1F8, base, family);
  if constexpr (S == Size::Byte) {
    add_row(&memory_pair<Op, S, MA7, M>, 0xF1FF, base | 0x007, family);
    add_row(&memory_pair<Op, S, M, MA7>, 0xFFF8, base | 0xE00, family);
    add_row(&memory_pair<Op, S, MA7, MA7>, 0xFFFF, base | 0xE07, family);
  }
}

// ADD, SUB, CMP <ea>,Dn: An as a source exists for word and long only.
template <class Op, Size S>
constexpr void add_to_dn_rows(RowSink& add_row, uint32_t base, const char* family) {
  auto make = []<Ea M>() -> Handler { return &ea_to_dn<Op, S, M>; };
  if constexpr (S == Size::Byte)
    add_ea_rows<S, true>(add_row, DataModes{}, base, family, make);
  else
    add_ea_rows<S, true>(add_row, AllModes{}, base, family, make);
}

// ADD and SUB: to Dn, to memory, address, immediate, quick, extended.
template <class Op, class AddressOp, class ExtendOp>
constexpr void add_add_sub_rows(RowSink& add_row, uint32_t line, const SizedName& name,
                                const SizedName& address_name, const SizedName& extend_name,
                                uint32_t immediate_base, uint32_t quick_base) {
  for_each_size([&]<Size S>() {
    const uint32_t sz = kSizeBits<S>;
    add_to_dn_rows<Op, S>(add_row, line | sz, name.of<S>());
    add_ea_rows<S, true>(add_row, MemoryAlterable{}, line | 0x100 | sz, name.of<S>(),
                         []<Ea M>() -> Handler { return &dn_to_ea<Op, S, M>; });
    add_ea_rows<S, false>(add_row, DataAlterable{}, immediate_base | sz, name.of<S>(),
                          []<Ea M>() -> Handler { return &imm_to_ea<Op, S, M>; });
    add_ea_rows<S, true>(add_row, DataAlterable{}, quick_base | sz, name.of<S>(),
                         []<Ea M>() -> Handler { return &quick_to_ea<Op, S, M>; });
    add_row(&x_registers<ExtendOp, S>, 0xF1F8, line | 0x100 | sz, extend_name.of<S>());
    add_pair_rows<ExtendOp, S, Ea::PreDec, Ea::PreDecA7>(add_row, line | 0x108 | sz,
                                                         extend_name.of<S>());
    if constexpr (S != Size::Byte) {
      // Size bit 8 of the address forms: 0x0C0 word, 0x1C0 long.
      const uint32_t address_base = line | (S == Size::Word ? 0x0C0 : 0x1C0);
      add_ea_rows<S, true>(add_row, AllModes{}, address_base, address_name.of<S>(),
                           []<Ea M>() -> Handler { return &ea_to_an<AddressOp, S, M>; });
      add_row(&quick_to_an<AddressOp>, 0xF1F8, quick_base | sz | 0x08, name.of<S>());
    }
  });
}

constexpr void add_compare_rows(RowSink& add_row) {
  const SizedName cmp{{"CMP.b", "CMP.w", "CMP.l"}};
  const SizedName cmpa{{nullptr, "CMPA.w", "CMPA.l"}};
  for_each_size([&]<Size S>() {
    const uint32_t sz = kSizeBits<S>;
    add_to_dn_rows<Cmp, S>(add_row, 0xB000 | sz, cmp.of<S>());
    add_ea_rows<S, false>(add_row, DataAlterable{}, 0x0C00 | sz, cmp.of<S>(),
                          []<Ea M>() -> Handler { return &imm_to_ea<Cmp, S, M>; });
    add_pair_rows<Cmp, S, Ea::PostInc, Ea::PostIncA7>(add_row, 0xB108 | sz, cmp.of<S>());
    if constexpr (S != Size::Byte) {
      add_ea_rows<S, true>(add_row, AllModes{}, S == Size::Word ? 0xB0C0 : 0xB1C0, cmpa.of<S>(),
                           []<Ea M>() -> Handler { return &ea_to_an<Cmp, S, M>; });
    }
  });
}

// NEGX, CLR, NEG: data alterable destinations, bits 9-11 fixed.
template <class Op>
constexpr void add_unary_rows(RowSink& add_row, uint32_t base, const SizedName& name) {
  for_each_size([&]<Size S>() {
    add_ea_rows<S, false>(add_row, DataAlterable{}, base | kSizeBits<S>, name.of<S>(),
                          []<Ea M>() -> Handler { return &unary<Op, S, M>; });
  });
}

}  // namespace

constexpr void add_arith_rows(RowSink& add_row) {
  // 1101 rrr0 ss eee eee  ADD <ea>,Dn
  // 1101 rrr1 ss eee eee  ADD Dn,<ea>
  // 0000 0110 ss eee eee  ADDI #<data>,<ea>
  // 0101 qqq0 ss eee eee  ADDQ #<data>,<ea>
  // 1101 xxx1 ss00 0yyy  ADDX Dy,Dx
  // 1101 xxx1 ss00 1yyy  ADDX -(Ay),-(Ax)
  // 1101 rrrz 11 eee eee  ADDA <ea>,An
  add_add_sub_rows<Add, AddAddress, AddX>(add_row, 0xD000, SizedName{{"ADD.b", "ADD.w", "ADD.l"}},
                                          SizedName{{nullptr, "ADDA.w", "ADDA.l"}},
                                          SizedName{{"ADDX.b", "ADDX.w", "ADDX.l"}}, 0x0600,
                                          0x5000);
  // 1001 rrr0 ss eee eee  SUB <ea>,Dn
  // 1001 rrr1 ss eee eee  SUB Dn,<ea>
  // 0000 0100 ss eee eee  SUBI #<data>,<ea>
  // 0101 qqq1 ss eee eee  SUBQ #<data>,<ea>
  // 1001 xxx1 ss00 0yyy  SUBX Dy,Dx
  // 1001 xxx1 ss00 1yyy  SUBX -(Ay),-(Ax)
  // 1001 rrrz 11 eee eee  SUBA <ea>,An
  add_add_sub_rows<Sub, SubAddress, SubX>(add_row, 0x9000, SizedName{{"SUB.b", "SUB.w", "SUB.l"}},
                                          SizedName{{nullptr, "SUBA.w", "SUBA.l"}},
                                          SizedName{{"SUBX.b", "SUBX.w", "SUBX.l"}}, 0x0400,
                                          0x5100);
  // 1011 rrr0 ss eee eee  CMP <ea>,Dn
  // 0000 1100 ss eee eee  CMPI #<data>,<ea>
  // 1011 xxx1 ss00 1yyy  CMPM (Ay)+,(Ax)+
  // 1011 rrrz 11 eee eee  CMPA <ea>,An
  add_compare_rows(add_row);
  // 0100 0000 ss eee eee  NEGX <ea>
  // 0100 0010 ss eee eee  CLR <ea>
  // 0100 0100 ss eee eee  NEG <ea>
  add_unary_rows<NegX>(add_row, 0x4000, SizedName{{"NEGX.b", "NEGX.w", "NEGX.l"}});
  add_unary_rows<Clr>(add_row, 0x4200, SizedName{{"CLR.b", "CLR.w", "CLR.l"}});
  add_unary_rows<Neg>(add_row, 0x4400, SizedName{{"NEG.b", "NEG.w", "NEG.l"}});
}

}  // namespace m68k::arith_ops
