// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// AND, OR, EOR and their immediate forms, NOT, TST, TAS, EXT, SWAP, and the
// immediate operations on CCR and SR. The operations live in alu_ops.h.
#pragma once

#include "cpu/alu_ops.h"
#include "cpu/decode_table.h"
#include "cpu/exceptions.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::logic_ops {

using namespace alu;

namespace {

// EXT and SWAP act on Dn only; as unary operations on the Dn operand of the
// size they produce they share the logic flag rule.
struct ExtWord : LogicUnaryFlags {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return static_cast<uint32_t>(sign_extend<Size::Byte>(d));
  }
};

struct ExtLong : LogicUnaryFlags {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return static_cast<uint32_t>(sign_extend<Size::Word>(d));
  }
};

struct Swap : LogicUnaryFlags {
  static constexpr Order kOrder = Order::FlagsFirst;
  template <Size S>
  static uint32_t result(uint32_t d) {
    return (d << 16) | (d >> 16);
  }
};

// ANDI/ORI/EORI to CCR: not privileged; the upper byte of SR stays.
template <class Op>
void imm_to_ccr() {
  const uint32_t imm = fetch16() & 0xFF;
  ccr_write(Op::template result<Size::Byte>(imm, sr_build() & 0x1F));
}

// ANDI/ORI/EORI to SR: the privilege check comes before the extension word
// is fetched, so a violation stacks the instruction's own address.
template <class Op>
void imm_to_sr() {
  if (!supervisor_or_trap()) return;
  const uint32_t imm = fetch16();
  sr_write(Op::template result<Size::Word>(imm, sr_build()) & cpu.sr_mask);
}

// ANDI, ORI, EORI: data-alterable destinations, then the CCR and SR forms.
template <class Op>
constexpr void add_immediate_rows(RowSink& add_row, uint32_t base, const SizedName& name,
                                  const char* to_ccr, const char* to_sr) {
  for_each_size([&]<Size S>() {
    add_ea_rows<S, false>(add_row, DataAlterable{}, base | kSizeBits<S>, name.of<S>(),
                          []<Ea M>() -> Handler { return &imm_to_ea<Op, S, M>; });
  });
  add_row(&imm_to_ccr<Op>, 0xFFFF, base | 0x3C, to_ccr);
  add_row(&imm_to_sr<Op>, 0xFFFF, base | 0x7C, to_sr);
}

// AND, OR: <ea>,Dn (no An source) and Dn,<memory>.
template <class Op>
constexpr void add_register_rows(RowSink& add_row, uint32_t line, const SizedName& name) {
  for_each_size([&]<Size S>() {
    const uint32_t sz = kSizeBits<S>;
    add_ea_rows<S, true>(add_row, DataModes{}, line | sz, name.of<S>(),
                         []<Ea M>() -> Handler { return &ea_to_dn<Op, S, M>; });
    add_ea_rows<S, true>(add_row, MemoryAlterable{}, line | 0x100 | sz, name.of<S>(),
                         []<Ea M>() -> Handler { return &dn_to_ea<Op, S, M>; });
  });
}

// Single-operand rows with bits 9-11 fixed.
template <class Op, Size S, class Modes>
constexpr void add_single_rows(RowSink& add_row, Modes modes, uint32_t base, const char* family) {
  add_ea_rows<S, false>(add_row, modes, base, family,
                        []<Ea M>() -> Handler { return &unary<Op, S, M>; });
}

}  // namespace

constexpr void add_logic_rows(RowSink& add_row) {
  const SizedName and_name{{"AND.b", "AND.w", "AND.l"}};
  const SizedName or_name{{"OR.b", "OR.w", "OR.l"}};
  const SizedName eor_name{{"EOR.b", "EOR.w", "EOR.l"}};
  // 1100 rrr0 ss eee eee  AND <ea>,Dn
  // 1100 rrr1 ss eee eee  AND Dn,<ea>
  add_register_rows<And>(add_row, 0xC000, and_name);
  // 1000 rrr0 ss eee eee  OR <ea>,Dn
  // 1000 rrr1 ss eee eee  OR Dn,<ea>
  add_register_rows<Or>(add_row, 0x8000, or_name);
  // EOR exists only as Dn,<ea>, including Dn as the destination.
  // 1011 rrr1 ss eee eee  EOR Dn,<ea>
  for_each_size([&]<Size S>() {
    add_ea_rows<S, true>(add_row, DataAlterable{}, 0xB100 | kSizeBits<S>, eor_name.of<S>(),
                         []<Ea M>() -> Handler { return &dn_to_ea<Eor, S, M>; });
  });
  // 0000 0000 ss eee eee  ORI #<data>,<ea>
  // 0000 0000 0011 1100  ORI #<data>,CCR
  // 0000 0000 0111 1100  ORI #<data>,SR
  add_immediate_rows<Or>(add_row, 0x0000, or_name, "ORItoCCR", "ORItoSR");
  // 0000 0010 ss eee eee  ANDI #<data>,<ea>
  // 0000 0010 0011 1100  ANDI #<data>,CCR
  // 0000 0010 0111 1100  ANDI #<data>,SR
  add_immediate_rows<And>(add_row, 0x0200, and_name, "ANDItoCCR", "ANDItoSR");
  // 0000 1010 ss eee eee  EORI #<data>,<ea>
  // 0000 1010 0011 1100  EORI #<data>,CCR
  // 0000 1010 0111 1100  EORI #<data>,SR
  add_immediate_rows<Eor>(add_row, 0x0A00, eor_name, "EORItoCCR", "EORItoSR");

  const SizedName not_name{{"NOT.b", "NOT.w", "NOT.l"}};
  const SizedName tst_name{{"TST.b", "TST.w", "TST.l"}};
  // 0100 0110 ss eee eee  NOT <ea>
  // 0100 1010 ss eee eee  TST <ea>
  // 0100 1010 11 eee eee  TAS <ea>
  // 0100 1000 1000 0rrr  EXT.W Dn
  // 0100 1000 1100 0rrr  EXT.L Dn
  // 0100 1000 0100 0rrr  SWAP Dn
  for_each_size([&]<Size S>() {
    add_single_rows<Not, S>(add_row, DataAlterable{}, 0x4600 | kSizeBits<S>, not_name.of<S>());
    add_single_rows<Tst, S>(add_row, DataAlterable{}, 0x4A00 | kSizeBits<S>, tst_name.of<S>());
  });
  add_single_rows<Tas, Size::Byte>(add_row, DataAlterable{}, 0x4AC0, "TAS");
  add_single_rows<ExtWord, Size::Word>(add_row, EaList<Ea::Dn>{}, 0x4880, "EXT.w");
  add_single_rows<ExtLong, Size::Long>(add_row, EaList<Ea::Dn>{}, 0x48C0, "EXT.l");
  add_single_rows<Swap, Size::Long>(add_row, EaList<Ea::Dn>{}, 0x4840, "SWAP");
}

}  // namespace m68k::logic_ops
