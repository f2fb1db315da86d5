// A piece of cpu/decode_table.cpp, the one file that includes it.
//
// MOVE, MOVEA, MOVEQ, MOVEM, MOVEP, LEA, PEA, EXG, LINK, UNLK, moves to and from SR, CCR and USP.
#pragma once

#include "cpu/decode_table.h"
#include "cpu/exceptions.h"
#include "cpu/flags.h"
#include "cpu/operand.h"
#include "cpu/row_generators.h"

namespace m68k::move_ops {

namespace {

// --- MOVE, MOVEA, MOVEQ ------------------------------------------------------

// The source is read completely (extension words, register step) before the
// destination's extension words are fetched. The flags are stored after the
// write, so a host handler behind a trap-channel write still sees the flags
// of the instruction before.
template <Size S, Ea Src, Ea Dst>
void op_move() {
  Operand<S, Src> src;
  uint32_t v = src.evaluate_and_read();
  Operand<S, Dst, 9> dst;
  dst.evaluate();
  dst.write(v);
  set_nz_clear_vc<S>(v);
}

template <Size S, Ea Src>
void op_movea() {
  Operand<S, Src> src;
  areg(ir_high_reg()) = static_cast<uint32_t>(sign_extend<S>(src.evaluate_and_read()));
}

void op_moveq() {
  uint32_t v = static_cast<uint32_t>(static_cast<int8_t>(cpu.ir & 0xFF));
  dreg(ir_high_reg()) = v;
  set_nz_clear_vc<Size::Long>(v);
}

// The MOVE destination's mode sits in bits 6-8 and its register in bits
// 9-11: the usual 6-bit field with its halves swapped.
constexpr uint32_t move_dest_bits(Ea m) {
  uint32_t f = ea_bits(m);
  return ((f >> 3) << 6) | ((f & 7) << 9);
}

// A register field stays free in the row when the handler reads it from IR;
// mode-7 forms and the A7 byte forms fix it.
constexpr uint32_t move_row_mask(Ea src, Ea dst) {
  return 0xF1F8 | (ea_reg_free(src) ? 0 : 0x0007) | (ea_reg_free(dst) ? 0 : 0x0E00);
}

template <Size S, Ea Src, Ea... Dsts>
constexpr void add_move_rows_from(RowSink& add_row, EaList<Dsts...>, uint32_t base,
                                  const char* family) {
  (add_row(&op_move<S, Src, Dsts>, move_row_mask(Src, Dsts),
           base | ea_bits(Src) | move_dest_bits(Dsts), family),
   ...);
}

// Every (source, destination) pair of one size. Rows that fix a register
// field fall into later mask groups than the general rows they override, so
// the A7 byte forms replace the A7 slots of the general rows.
template <Size S, Ea... Srcs, class Dsts>
constexpr void add_move_size(RowSink& add_row, EaList<Srcs...>, Dsts dsts, uint32_t base,
                             const char* family) {
  (add_move_rows_from<S, Srcs>(add_row, dsts, base, family), ...);
}

using MoveByteSources =
    EaList<Ea::Dn, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL,
           Ea::PcDisp, Ea::PcIndex, Ea::Imm, Ea::PostIncA7, Ea::PreDecA7>;
using MoveByteDests = EaList<Ea::Dn, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index,
                             Ea::AbsW, Ea::AbsL, Ea::PostIncA7, Ea::PreDecA7>;

// --- SR, CCR, USP ------------------------------------------------------------

// One Write16 with no read of the destination first; not privileged.
template <Ea M>
void op_move_from_sr() {
  Operand<Size::Word, M> dst;
  dst.evaluate();
  dst.write(sr_build());
}

template <Ea M>
void op_move_to_ccr() {
  Operand<Size::Word, M> src;
  ccr_write(src.evaluate_and_read());
}

// The privilege check comes before the source: in user mode no extension
// word is consumed and the instruction's own address is stacked.
template <Ea M>
void op_move_to_sr() {
  if (!supervisor_or_trap()) return;
  Operand<Size::Word, M> src;
  sr_write(src.evaluate_and_read());
}

// In supervisor mode slot 0 always holds the user stack pointer, so no mode
// test is needed.
void op_move_to_usp() {
  if (!supervisor_or_trap()) return;
  cpu.sp_slot[0] = areg(ir_low_reg());
}

void op_move_from_usp() {
  if (!supervisor_or_trap()) return;
  areg(ir_low_reg()) = cpu.sp_slot[0];
}

// --- MOVEM -------------------------------------------------------------------

// The register mask comes before the effective address's extension words.
// Each MOVEM costs one extra budget unit whatever its mask.
template <Size S, Ea M>
void op_movem_to_memory() {
  uint32_t mask = fetch16();
  charge();
  constexpr uint32_t kStep = static_cast<uint32_t>(S);
  if constexpr (M == Ea::PreDec) {
    // Reversed mask (bit 0 = A7 ... bit 15 = D0), addresses descending. An is
    // written only at the end, so if it is in the list its value from before
    // the instruction is what gets stored.
    unsigned n = ir_low_reg();
    uint32_t address = areg(n);
    for (unsigned i = 0; i < 16; ++i) {
      if (!(mask & (1u << i))) continue;
      address -= kStep;
      write_bus<S>(address, cpu.dar[15 - i]);
    }
    areg(n) = address;
  } else {
    uint32_t address = effective_address<M>();
    for (unsigned i = 0; i < 16; ++i) {
      if (!(mask & (1u << i))) continue;
      write_bus<S>(address, cpu.dar[i]);
      address += kStep;
    }
  }
}

// Words are sign-extended into whole registers, data registers included. In
// the (An)+ form the final address replaces anything just loaded into An.
template <Size S, Ea M>
void op_movem_to_registers() {
  uint32_t mask = fetch16();
  charge();
  constexpr uint32_t kStep = static_cast<uint32_t>(S);
  uint32_t address;
  if constexpr (M == Ea::PostInc)
    address = areg(ir_low_reg());
  else
    address = effective_address<M>();
  for (unsigned i = 0; i < 16; ++i) {
    if (!(mask & (1u << i))) continue;
    cpu.dar[i] = static_cast<uint32_t>(sign_extend<S>(read_bus<S>(address)));
    address += kStep;
  }
  if constexpr (M == Ea::PostInc) areg(ir_low_reg()) = address;
}

using MovemToMemoryModes = EaList<Ea::Ind, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL>;
using MovemToRegisterModes =
    EaList<Ea::Ind, Ea::PostInc, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL, Ea::PcDisp, Ea::PcIndex>;

// --- MOVEP -------------------------------------------------------------------

// Bytes at a, a+2, a+4, ... most significant first, one byte access each:
// the transfer pattern of 8-bit peripherals on one half of the data bus.
template <Size S, bool ToMemory>
void op_movep() {
  constexpr unsigned kBytes = static_cast<unsigned>(S);
  uint32_t address = areg(ir_low_reg()) + static_cast<uint32_t>(sign_extend<Size::Word>(fetch16()));
  uint32_t& d = dreg(ir_high_reg());
  if constexpr (ToMemory) {
    for (unsigned i = 0; i < kBytes; ++i)
      write_bus<Size::Byte>(address + 2 * i, d >> (8 * (kBytes - 1 - i)));
  } else {
    uint32_t v = 0;
    for (unsigned i = 0; i < kBytes; ++i) v = (v << 8) | read_bus<Size::Byte>(address + 2 * i);
    d = (d & ~kSizeMask<S>) | v;
  }
}

// --- LEA, PEA, EXG, LINK, UNLK ------------------------------------------------

// The address is not masked: only bus accesses are.
template <Ea M>
void op_lea() {
  areg(ir_high_reg()) = effective_address<M>();
}

// Evaluated before A7 moves, so PEA (A7) pushes the old A7.
template <Ea M>
void op_pea() {
  push32(effective_address<M>());
}

enum class ExgKind { DataData, AddrAddr, DataAddr };

template <ExgKind K>
void op_exg() {
  uint32_t& x = cpu.dar[ir_high_reg() + (K == ExgKind::AddrAddr ? 8 : 0)];
  uint32_t& y = cpu.dar[ir_low_reg() + (K == ExgKind::DataData ? 0 : 8)];
  uint32_t t = x;
  x = y;
  y = t;
}

// On A7 the pushed value is the already-decremented stack pointer and A7
// ends as that value plus the displacement.
template <bool OnA7>
void op_link() {
  unsigned n = OnA7 ? 7 : ir_low_reg();
  areg(7) -= 4;
  write_bus<Size::Long>(areg(7), areg(n));
  areg(n) = areg(7);
  areg(7) += static_cast<uint32_t>(sign_extend<Size::Word>(fetch16()));
}

void op_unlk() {
  unsigned n = ir_low_reg();
  uint32_t frame = areg(n);
  areg(7) = frame + 4;
  areg(n) = read_bus<Size::Long>(frame);
}

// UNLK A7 only reloads A7 from the stack, without the 4 added.
void op_unlk_a7() {
  areg(7) = read_bus<Size::Long>(areg(7));
}

}  // namespace

constexpr void add_move_rows(RowSink& add_row) {
  // 0111 rrr0 dddd dddd  MOVEQ #<data>,Dn
  add_row(&op_moveq, 0xF100, 0x7000, "MOVE.q");

  // The destination of MOVE is register then mode (rrr mmm), the source
  // mode then register; the size field reads 01 byte, 11 word, 10 long.
  // 0001 rrr mmm eee eee  MOVE.B <ea>,<ea>
  // 0011 rrr mmm eee eee  MOVE.W <ea>,<ea>
  // 0010 rrr mmm eee eee  MOVE.L <ea>,<ea>
  // 0011 rrr0 01 eee eee  MOVEA.W <ea>,An
  // 0010 rrr0 01 eee eee  MOVEA.L <ea>,An
  add_move_size<Size::Byte>(add_row, MoveByteSources{}, MoveByteDests{}, 0x1000, "MOVE.b");
  add_move_size<Size::Word>(add_row, AllModes{}, DataAlterable{}, 0x3000, "MOVE.w");
  add_move_size<Size::Long>(add_row, AllModes{}, DataAlterable{}, 0x2000, "MOVE.l");
  add_ea_rows<Size::Word, true>(add_row, AllModes{}, 0x3040, "MOVEA.w",
                                []<Ea M>() -> Handler { return &op_movea<Size::Word, M>; });
  add_ea_rows<Size::Long, true>(add_row, AllModes{}, 0x2040, "MOVEA.l",
                                []<Ea M>() -> Handler { return &op_movea<Size::Long, M>; });

  // 0100 0000 11 eee eee  MOVE SR,<ea>
  // 0100 0100 11 eee eee  MOVE <ea>,CCR
  // 0100 0110 11 eee eee  MOVE <ea>,SR
  // 0100 1110 0110 0rrr  MOVE An,USP
  // 0100 1110 0110 1rrr  MOVE USP,An
  add_ea_rows<Size::Word, false>(add_row, DataAlterable{}, 0x40C0, "MOVEfromSR",
                                 []<Ea M>() -> Handler { return &op_move_from_sr<M>; });
  add_ea_rows<Size::Word, false>(add_row, DataModes{}, 0x44C0, "MOVEtoCCR",
                                 []<Ea M>() -> Handler { return &op_move_to_ccr<M>; });
  add_ea_rows<Size::Word, false>(add_row, DataModes{}, 0x46C0, "MOVEtoSR",
                                 []<Ea M>() -> Handler { return &op_move_to_sr<M>; });
  add_row(&op_move_to_usp, 0xFFF8, 0x4E60, "MOVEtoUSP");
  add_row(&op_move_from_usp, 0xFFF8, 0x4E68, "MOVEfromUSP");

  // 0100 1000 1z eee eee  MOVEM <list>,<ea>
  // 0100 1100 1z eee eee  MOVEM <ea>,<list>
  add_ea_rows<Size::Word, false>(
      add_row, MovemToMemoryModes{}, 0x4880, "MOVEM.w",
      []<Ea M>() -> Handler { return &op_movem_to_memory<Size::Word, M>; });
  add_ea_rows<Size::Long, false>(
      add_row, MovemToMemoryModes{}, 0x48C0, "MOVEM.l",
      []<Ea M>() -> Handler { return &op_movem_to_memory<Size::Long, M>; });
  add_ea_rows<Size::Word, false>(
      add_row, MovemToRegisterModes{}, 0x4C80, "MOVEM.w",
      []<Ea M>() -> Handler { return &op_movem_to_registers<Size::Word, M>; });
  add_ea_rows<Size::Long, false>(
      add_row, MovemToRegisterModes{}, 0x4CC0, "MOVEM.l",
      []<Ea M>() -> Handler { return &op_movem_to_registers<Size::Long, M>; });

  // 0000 xxx1 0z00 1yyy  MOVEP (d16,Ay),Dx
  // 0000 xxx1 1z00 1yyy  MOVEP Dx,(d16,Ay)
  add_row(&op_movep<Size::Word, false>, 0xF1F8, 0x0108, "MOVEP.w");
  add_row(&op_movep<Size::Long, false>, 0xF1F8, 0x0148, "MOVEP.l");
  add_row(&op_movep<Size::Word, true>, 0xF1F8, 0x0188, "MOVEP.w");
  add_row(&op_movep<Size::Long, true>, 0xF1F8, 0x01C8, "MOVEP.l");

  // 0100 rrr1 11 eee eee  LEA <ea>,An
  // 0100 1000 01 eee eee  PEA <ea>
  add_ea_rows<Size::Long, true>(add_row, ControlModes{}, 0x41C0, "LEA",
                                []<Ea M>() -> Handler { return &op_lea<M>; });
  add_ea_rows<Size::Long, false>(add_row, ControlModes{}, 0x4840, "PEA",
                                 []<Ea M>() -> Handler { return &op_pea<M>; });

  // 1100 xxx1 0100 0yyy  EXG Dx,Dy
  // 1100 xxx1 0100 1yyy  EXG Ax,Ay
  // 1100 xxx1 1000 1yyy  EXG Dx,Ay
  add_row(&op_exg<ExgKind::DataData>, 0xF1F8, 0xC140, "EXG");
  add_row(&op_exg<ExgKind::AddrAddr>, 0xF1F8, 0xC148, "EXG");
  add_row(&op_exg<ExgKind::DataAddr>, 0xF1F8, 0xC188, "EXG");

  // 0100 1110 0101 0rrr  LINK An,#<displacement>
  // 0100 1110 0101 1rrr  UNLK An
  add_row(&op_link<false>, 0xFFF8, 0x4E50, "LINK");
  add_row(&op_link<true>, 0xFFFF, 0x4E57, "LINK");
  add_row(&op_unlk, 0xFFF8, 0x4E58, "UNLINK");
  add_row(&op_unlk_a7, 0xFFFF, 0x4E5F, "UNLINK");
}

}  // namespace m68k::move_ops
