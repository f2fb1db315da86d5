// Operand access, written once per addressing mode and shared by every
// instruction handler. A handler names its operand as Operand<size, mode,
// register-field shift>; everything about the mode is resolved at compile
// time, so a handler is a straight sequence of fetches and bus accesses.
//
// Legend for handler and mode names:
//   Dn data register, An address register, Ind (An), PostInc (An)+,
//   PreDec -(An), Disp d16(An), Index d8(An,Xn), AbsW (xxx).w, AbsL (xxx).l,
//   PcDisp d16(PC), PcIndex d8(PC,Xn), Imm #imm; PostIncA7/PreDecA7 are the
//   byte forms on A7, which step by 2 to keep the stack pointer even.
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"
#include "machine/memory_bus.h"

namespace m68k {

// The operand-access building blocks are inlined into every handler. All
// handlers are compiled in one unit, the decode table's; its size would
// otherwise make the compiler stop inlining them part-way through it.
#define VELLUM_ALWAYS_INLINE [[gnu::always_inline]] inline

enum class Size : uint8_t { Byte = 1, Word = 2, Long = 4 };

template <Size S>
inline constexpr uint32_t kSizeMask = S == Size::Byte   ? 0xFF
                                      : S == Size::Word ? 0xFFFF
                                                        : 0xFFFFFFFF;
// Shifting a value of the size right by this puts its sign bit at bit 7.
template <Size S>
inline constexpr unsigned kSignShift = S == Size::Byte   ? 0
                                       : S == Size::Word ? 8
                                                         : 24;
template <Size S>
inline constexpr unsigned kBits = S == Size::Byte   ? 8
                                  : S == Size::Word ? 16
                                                    : 32;

template <Size S>
inline int32_t sign_extend(uint32_t v) {
  if constexpr (S == Size::Byte)
    return static_cast<int8_t>(v);
  else if constexpr (S == Size::Word)
    return static_cast<int16_t>(v);
  else
    return static_cast<int32_t>(v);
}

enum class Ea : uint8_t {
  Dn,
  An,
  Ind,
  PostInc,
  PreDec,
  Disp,
  Index,
  AbsW,
  AbsL,
  PcDisp,
  PcIndex,
  Imm,
  PostIncA7,
  PreDecA7,
};

// The 6-bit mode/register field of a mode class; register bits are 0 where
// the register is free.
constexpr uint16_t ea_bits(Ea m) {
  switch (m) {
    case Ea::Dn:
      return 0x00;
    case Ea::An:
      return 0x08;
    case Ea::Ind:
      return 0x10;
    case Ea::PostInc:
      return 0x18;
    case Ea::PreDec:
      return 0x20;
    case Ea::Disp:
      return 0x28;
    case Ea::Index:
      return 0x30;
    case Ea::AbsW:
      return 0x38;
    case Ea::AbsL:
      return 0x39;
    case Ea::PcDisp:
      return 0x3A;
    case Ea::PcIndex:
      return 0x3B;
    case Ea::Imm:
      return 0x3C;
    case Ea::PostIncA7:
      return 0x1F;
    case Ea::PreDecA7:
      return 0x27;
  }
  return 0;
}

// True when the mode's register number is read from IR (modes 0 to 6).
constexpr bool ea_reg_free(Ea m) {
  return m <= Ea::Index;
}

constexpr bool ea_is_memory(Ea m) {
  return m != Ea::Dn && m != Ea::An && m != Ea::Imm;
}

// --- Bus access with the CPU's address mask ---------------------------------

// A failed read in the I/O region answers all ones; cut to the size so that
// byte and word arithmetic sees an ordinary 0xFF or 0xFFFF operand.
template <Size S>
VELLUM_ALWAYS_INLINE uint32_t read_bus(uint32_t address) {
  address &= cpu.address_mask;
  if constexpr (S == Size::Byte)
    return machine::Read8(address) & 0xFF;
  else if constexpr (S == Size::Word)
    return machine::Read16(address) & 0xFFFF;
  else
    return machine::Read32(address);
}

template <Size S>
VELLUM_ALWAYS_INLINE void write_bus(uint32_t address, uint32_t value) {
  address &= cpu.address_mask;
  if constexpr (S == Size::Byte)
    machine::Write8(address, value);
  else if constexpr (S == Size::Word)
    machine::Write16(address, value);
  else
    machine::Write32(address, value);
}

// Extension words come from the instruction stream at PC. A failed fetch
// from the I/O region reads as all ones (the run is already ending).
VELLUM_ALWAYS_INLINE uint32_t fetch16() {
  uint32_t v = machine::Read16(cpu.pc & cpu.address_mask) & 0xFFFF;
  cpu.pc += 2;
  return v;
}
VELLUM_ALWAYS_INLINE uint32_t fetch32() {
  uint32_t v = machine::Read32(cpu.pc & cpu.address_mask);
  cpu.pc += 4;
  return v;
}
// Immediate data: a byte immediate occupies a whole word, of which the low
// byte counts.
template <Size S>
VELLUM_ALWAYS_INLINE uint32_t fetch_immediate() {
  if constexpr (S == Size::Byte)
    return fetch16() & 0xFF;
  else if constexpr (S == Size::Word)
    return fetch16();
  else
    return fetch32();
}

// d8(base, Xn): bits 12-15 pick D0-D7/A0-A7, bit 11 the index size, bits
// 0-7 the displacement. Bits 8-10 are ignored on every model.
VELLUM_ALWAYS_INLINE uint32_t indexed_address(uint32_t base) {
  uint32_t ext = fetch16();
  uint32_t index = cpu.dar[(ext >> 12) & 15];
  if (!(ext & 0x800)) index = static_cast<uint32_t>(static_cast<int16_t>(index));
  return base + static_cast<uint32_t>(static_cast<int8_t>(ext)) + index;
}

// Stack helpers on the active A7.
VELLUM_ALWAYS_INLINE void push32(uint32_t v) {
  areg(7) -= 4;
  write_bus<Size::Long>(areg(7), v);
}
VELLUM_ALWAYS_INLINE void push16(uint32_t v) {
  areg(7) -= 2;
  write_bus<Size::Word>(areg(7), v);
}
VELLUM_ALWAYS_INLINE uint32_t pop32() {
  uint32_t v = read_bus<Size::Long>(areg(7));
  areg(7) += 4;
  return v;
}
VELLUM_ALWAYS_INLINE uint32_t pop16() {
  uint32_t v = read_bus<Size::Word>(areg(7));
  areg(7) += 2;
  return v;
}

// --- The operand ------------------------------------------------------------

// RegShift selects the register field: 0 for bits 0-2 (the usual effective
// address), 9 for bits 9-11 (the MOVE destination).
template <Size S, Ea M, unsigned RegShift = 0>
struct Operand {
  static_assert(RegShift == 0 || RegShift == 9);
  // Address of a memory operand, or the value of an immediate.
  uint32_t ea = 0;

  VELLUM_ALWAYS_INLINE static unsigned reg() {
    if constexpr (M == Ea::PostIncA7 || M == Ea::PreDecA7)
      return 7;
    else if constexpr (RegShift == 9)
      return ir_high_reg();
    else
      return ir_low_reg();
  }

  static constexpr uint32_t step() {
    if constexpr (S == Size::Byte && (M == Ea::PostIncA7 || M == Ea::PreDecA7))
      return 2;
    else
      return static_cast<uint32_t>(S);
  }

  // Fetches extension words and performs the register step; no data access.
  // The stepped register is stored before any access is issued.
  VELLUM_ALWAYS_INLINE void evaluate() {
    if constexpr (M == Ea::Dn || M == Ea::An) {
    } else if constexpr (M == Ea::Ind) {
      ea = areg(reg());
    } else if constexpr (M == Ea::PostInc || M == Ea::PostIncA7) {
      uint32_t& a = areg(reg());
      ea = a;
      a += step();
    } else if constexpr (M == Ea::PreDec || M == Ea::PreDecA7) {
      uint32_t& a = areg(reg());
      a -= step();
      ea = a;
    } else if constexpr (M == Ea::Disp) {
      uint32_t base = areg(reg());
      ea = base + static_cast<uint32_t>(static_cast<int16_t>(fetch16()));
    } else if constexpr (M == Ea::Index) {
      ea = indexed_address(areg(reg()));
    } else if constexpr (M == Ea::AbsW) {
      ea = static_cast<uint32_t>(static_cast<int16_t>(fetch16()));
    } else if constexpr (M == Ea::AbsL) {
      ea = fetch32();
    } else if constexpr (M == Ea::PcDisp) {
      uint32_t base = cpu.pc;
      ea = base + static_cast<uint32_t>(static_cast<int16_t>(fetch16()));
    } else if constexpr (M == Ea::PcIndex) {
      ea = indexed_address(cpu.pc);
    } else if constexpr (M == Ea::Imm) {
      ea = fetch_immediate<S>();
    }
  }

  // The operand value, zero-extended from its size. An as a word source is
  // its low 16 bits.
  VELLUM_ALWAYS_INLINE uint32_t read() const {
    if constexpr (M == Ea::Dn)
      return dreg(reg()) & kSizeMask<S>;
    else if constexpr (M == Ea::An)
      return areg(reg()) & kSizeMask<S>;
    else if constexpr (M == Ea::Imm)
      return ea;
    else
      return read_bus<S>(ea);
  }

  // A byte or word written to Dn keeps the register's upper bits; An is
  // always written whole.
  VELLUM_ALWAYS_INLINE void write(uint32_t v) const {
    if constexpr (M == Ea::Dn) {
      uint32_t& d = dreg(reg());
      d = (d & ~kSizeMask<S>) | (v & kSizeMask<S>);
    } else if constexpr (M == Ea::An) {
      areg(reg()) = v;
    } else {
      static_assert(M != Ea::Imm && M != Ea::PcDisp && M != Ea::PcIndex, "not alterable");
      write_bus<S>(ea, v);
    }
  }

  VELLUM_ALWAYS_INLINE uint32_t evaluate_and_read() {
    evaluate();
    return read();
  }
};

// Shorthand for control-mode address evaluation (LEA, PEA, JMP, JSR, MOVEM).
template <Ea M, unsigned RegShift = 0>
VELLUM_ALWAYS_INLINE uint32_t effective_address() {
  Operand<Size::Long, M, RegShift> op;
  op.evaluate();
  return op.ea;
}

// Published 68000 time of the effective-address calculation for a byte or
// word operand. The cycle tables carry it in some rows; the handlers read
// no such entry.
constexpr uint8_t ea_calc_cycles(Ea m) {
  switch (m) {
    case Ea::Ind:
    case Ea::PostInc:
    case Ea::PostIncA7:
    case Ea::Imm:
      return 4;
    case Ea::PreDec:
    case Ea::PreDecA7:
      return 6;
    case Ea::Disp:
    case Ea::AbsW:
    case Ea::PcDisp:
      return 8;
    case Ea::Index:
    case Ea::PcIndex:
      return 10;
    case Ea::AbsL:
      return 12;
    default:
      return 0;
  }
}

// --- Mode lists for the row generators --------------------------------------

template <Ea... Ms>
struct EaList {};

using AllModes = EaList<Ea::Dn, Ea::An, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index,
                        Ea::AbsW, Ea::AbsL, Ea::PcDisp, Ea::PcIndex, Ea::Imm>;
using DataModes = EaList<Ea::Dn, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW,
                         Ea::AbsL, Ea::PcDisp, Ea::PcIndex, Ea::Imm>;
using MemoryModes = EaList<Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW,
                           Ea::AbsL, Ea::PcDisp, Ea::PcIndex>;
using MemoryAlterable =
    EaList<Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL>;
using DataAlterable =
    EaList<Ea::Dn, Ea::Ind, Ea::PostInc, Ea::PreDec, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL>;
using ControlModes =
    EaList<Ea::Ind, Ea::Disp, Ea::Index, Ea::AbsW, Ea::AbsL, Ea::PcDisp, Ea::PcIndex>;

}  // namespace m68k
