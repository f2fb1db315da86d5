// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// Opcodes that the 68010 and 68020 add to the 68000 set. None of them is
// carried out, whichever model is selected: each row leads straight to the
// illegal-instruction exception, and the coprocessor patterns of line F to the
// line-F exception, without reading any extension word. The rows exist so
// that the decode table names these opcodes; the cycle columns stay 0 as no
// handler reads them.
#pragma once

#include <initializer_list>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu/exceptions.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::later_model_ops {

namespace {

constexpr const char* kIllegal = "illegal";

// Same exception as ILLEGAL, but a handler of its own: the ILLEGAL handler
// stays reserved for 0x4AFC and the opcodes no row covers, so the table shows
// which opcodes are recognised later-model instructions.
void op_later_model() {
  exception_entry(kVectorIllegal, cpu.instr_addr);
}

// Factory for add_ea_rows: every mode leads to the same handler.
constexpr auto kToIllegal = []<Ea>() -> Handler { return &op_later_model; };

constexpr void illegal_row(RowSink& add_row, uint32_t mask, uint32_t match) {
  add_row(&op_later_model, mask, match, kIllegal);
}

template <Size S, bool OtherRegFree = false, class Modes>
constexpr void illegal_ea_rows(RowSink& add_row, Modes modes, uint32_t base) {
  add_ea_rows<S, OtherRegFree>(add_row, modes, base, kIllegal, kToIllegal);
}

// PACK and UNPK in their -(Ax),-(Ay) form get extra rows with A7 as either
// or both registers, in the same layout as the byte memory-to-memory forms
// of the 68000.
constexpr void pack_rows(RowSink& add_row, uint32_t base) {
  illegal_row(add_row, 0xF1F8, base);           // Dx,Dy
  illegal_row(add_row, 0xF1F8, base | 0x08);    // -(Ax),-(Ay)
  illegal_row(add_row, 0xF1FF, base | 0x0F);    // -(A7),-(Ay)
  illegal_row(add_row, 0xFFF8, base | 0x0E08);  // -(Ax),-(A7)
  illegal_row(add_row, 0xFFFF, base | 0x0E0F);  // -(A7),-(A7)
}

using BitFieldModes = EaList<Ea::Dn, Ea::Ind, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL>;
using PcRelative = EaList<Ea::PcDisp, Ea::PcIndex>;

}  // namespace

constexpr void add_later_model_rows(RowSink& add_row) {
  // CMP2 and CHK2 (byte, word, long).
  // 0000 0ss0 11 eee eee  CMP2/CHK2 <ea>,Rn
  illegal_ea_rows<Size::Byte>(add_row, ControlModes{}, 0x00C0);
  illegal_ea_rows<Size::Word>(add_row, ControlModes{}, 0x02C0);
  illegal_ea_rows<Size::Long>(add_row, ControlModes{}, 0x04C0);
  // 0100 rrr1 00 eee eee  CHK.L <ea>,Dn
  illegal_ea_rows<Size::Long, true>(add_row, DataModes{}, 0x4100);
  // CAS and CAS2 (their size field reads 01 byte, 10 word, 11 long).
  // 0000 1ss0 11 eee eee  CAS Dc,Du,<ea>
  // 0000 1ss0 1111 1100  CAS2 (word, long)
  illegal_ea_rows<Size::Byte>(add_row, MemoryAlterable{}, 0x0AC0);
  illegal_ea_rows<Size::Word>(add_row, MemoryAlterable{}, 0x0CC0);
  illegal_ea_rows<Size::Long>(add_row, MemoryAlterable{}, 0x0EC0);
  illegal_row(add_row, 0xFFFF, 0x0CFC);
  illegal_row(add_row, 0xFFFF, 0x0EFC);
  // 0000 0110 11 eee eee  CALLM #<data>,<ea>
  // 0000 0110 1100 rrrr  RTM Rn
  illegal_ea_rows<Size::Long>(add_row, ControlModes{}, 0x06C0);
  illegal_row(add_row, 0xFFF0, 0x06C0);
  // CMPI with a PC-relative destination.
  // 0000 1100 ss 111 01.  CMPI #<data>,(d16,PC) or (d8,PC,Xn)
  illegal_ea_rows<Size::Byte>(add_row, PcRelative{}, 0x0C00);
  illegal_ea_rows<Size::Word>(add_row, PcRelative{}, 0x0C40);
  illegal_ea_rows<Size::Long>(add_row, PcRelative{}, 0x0C80);
  // TST with a PC-relative, immediate or address-register operand.
  // 0100 1010 ss eee eee  TST An, (d16,PC), (d8,PC,Xn) or #<data>
  illegal_ea_rows<Size::Byte>(add_row, EaList<Ea::PcDisp, Ea::PcIndex, Ea::Imm>{}, 0x4A00);
  illegal_ea_rows<Size::Word>(add_row, EaList<Ea::An, Ea::PcDisp, Ea::PcIndex, Ea::Imm>{}, 0x4A40);
  illegal_ea_rows<Size::Long>(add_row, EaList<Ea::An, Ea::PcDisp, Ea::PcIndex, Ea::Imm>{}, 0x4A80);
  // BRA.L, BSR.L and Bcc.L: byte displacement 0xFF. These replace the 0xFF
  // slot of each short-branch row, so a 68000 program using that displacement
  // takes the exception instead of branching.
  // 0110 cccc 1111 1111  Bcc.L, BRA.L, BSR.L
  for (uint32_t cc = 0; cc < 16; ++cc) illegal_row(add_row, 0xFFFF, 0x60FF | (cc << 8));
  // 0100 1000 0100 1vvv  BKPT #<vector>
  illegal_row(add_row, 0xFFF8, 0x4848);
  // Bit fields: all take Dn and the alterable control modes; the four that
  // only read the field also take the PC-relative modes.
  // 1110 1000 11 eee eee  BFTST      1110 1001 11 eee eee  BFEXTU
  // 1110 1010 11 eee eee  BFCHG      1110 1011 11 eee eee  BFEXTS
  // 1110 1100 11 eee eee  BFCLR      1110 1101 11 eee eee  BFFFO
  // 1110 1110 11 eee eee  BFSET      1110 1111 11 eee eee  BFINS
  for (uint32_t base : {0xE8C0u, 0xE9C0u, 0xEAC0u, 0xEBC0u, 0xECC0u, 0xEDC0u, 0xEEC0u, 0xEFC0u})
    illegal_ea_rows<Size::Long>(add_row, BitFieldModes{}, base);
  for (uint32_t base : {0xE8C0u, 0xE9C0u, 0xEBC0u, 0xEDC0u})
    illegal_ea_rows<Size::Long>(add_row, PcRelative{}, base);
  // 0100 1100 00 eee eee  MULU.L/MULS.L <ea>,Dl
  // 0100 1100 01 eee eee  DIVU.L/DIVS.L <ea>,Dq
  illegal_ea_rows<Size::Long>(add_row, DataModes{}, 0x4C00);
  illegal_ea_rows<Size::Long>(add_row, DataModes{}, 0x4C40);
  // 0000 1110 ss eee eee  MOVES
  illegal_ea_rows<Size::Byte>(add_row, MemoryAlterable{}, 0x0E00);
  illegal_ea_rows<Size::Word>(add_row, MemoryAlterable{}, 0x0E40);
  illegal_ea_rows<Size::Long>(add_row, MemoryAlterable{}, 0x0E80);
  // 0100 1110 0111 101.  MOVEC
  // 0100 0010 11 eee eee  MOVE CCR,<ea>
  illegal_row(add_row, 0xFFFF, 0x4E7A);
  illegal_row(add_row, 0xFFFF, 0x4E7B);
  illegal_ea_rows<Size::Word>(add_row, DataAlterable{}, 0x42C0);
  // 0100 1000 0000 1rrr  LINK.L An,#<displacement>
  // 0100 1001 1100 0rrr  EXTB.L Dn
  // 0100 1110 0111 0100  RTD #<displacement>
  illegal_row(add_row, 0xFFF8, 0x4808);
  illegal_row(add_row, 0xFFFF, 0x480F);
  illegal_row(add_row, 0xFFF8, 0x49C0);
  illegal_row(add_row, 0xFFFF, 0x4E74);
  // TRAPcc with a word operand, a long operand and none.
  // 0101 cccc 1111 1010  TRAPcc.W #<data>
  // 0101 cccc 1111 1011  TRAPcc.L #<data>
  // 0101 cccc 1111 1100  TRAPcc
  for (uint32_t cc = 0; cc < 16; ++cc)
    for (uint32_t form : {0x50FAu, 0x50FBu, 0x50FCu})
      illegal_row(add_row, 0xFFFF, form | (cc << 8));
  // 1000 xxx1 0100 .yyy  PACK
  // 1000 xxx1 1000 .yyy  UNPK
  pack_rows(add_row, 0x8140);
  pack_rows(add_row, 0x8180);

  // Coprocessor patterns of line F. The catch-all line-F row comes first in
  // the table; these refine it with the same exception. iii: the
  // coprocessor.
  // 1111 iii0 00 eee eee  cpGEN
  // 1111 iii0 01 eee eee  cpScc
  // 1111 iii0 0100 1rrr  cpDBcc
  // 1111 iii0 0111 1...  cpTRAPcc
  // 1111 iii0 1z.. ....  cpBcc
  add_row(&op_line_f, 0xF1C0, 0xF000, "lineF");
  add_row(&op_line_f, 0xF1C0, 0xF040, "lineF");
  add_row(&op_line_f, 0xF1F8, 0xF048, "lineF");
  add_row(&op_line_f, 0xF1F8, 0xF078, "lineF");
  add_row(&op_line_f, 0xF180, 0xF080, "lineF");
}

}  // namespace m68k::later_model_ops
