// The tier's view of one 68000 instruction: what it does, its operands with
// their extension words already read, its length and the condition codes it
// reads and writes. Instructions the tier translates get a kind of their
// own; every other one is a call-out, run by the interpreter's handler, for
// which only the length (best effort) and whether control leaves the
// straight line after it are known.
#pragma once

#include <cstdint>

#include "cpu/operand.h"

namespace translator {

// Condition-code bits as the CCR holds them.
enum Flag : uint8_t {
  kFlagC = 0x01,
  kFlagV = 0x02,
  kFlagZ = 0x04,
  kFlagN = 0x08,
  kFlagX = 0x10,
  kFlagsNZVC = kFlagN | kFlagZ | kFlagV | kFlagC,
  kFlagsAll = kFlagX | kFlagsNZVC,
};

enum class Kind : uint8_t {
  kCallOut,
  // Moves and single-operand operations.
  kMove,   // src -> dst, N Z from the value, V C cleared
  kMovea,  // src sign-extended -> An, no flags
  kMoveq,  // src.value -> Dn
  kLea,    // address of src -> An
  kPea,    // address of src pushed
  kClr,
  kTst,
  kNot,
  kNeg,
  kExtWord,  // EXT.W Dn
  kExtLong,  // EXT.L Dn
  kSwap,
  // Two-operand arithmetic and logic: src op dst -> dst (kCmp writes nothing).
  kAdd,
  kSub,
  kCmp,
  kAnd,
  kOr,
  kEor,
  // Address arithmetic: the whole An with the source sign-extended.
  kAdda,
  kSuba,
  kCmpa,
  // Shifts and rotates of a data register (dst) by an immediate (src Imm)
  // or a count register (src Dn): shift tells which.
  kShift,
  // MULU.W, MULS.W <ea>,Dn.
  kMulu,
  kMuls,
  // MOVEM registers to memory (dst the address) and memory to registers
  // (src the address).
  kMovemToMemory,
  kMovemToRegisters,
  // Program flow.
  kBra,
  kBsr,
  kBcc,
  kDbcc,
  kScc,
  kJmp,
  kJsr,
  kRts,
  kNop,
  // DIVU.W, DIVS.W <ea>,Dn: a zero divisor hands the instruction over.
  kDivu,
  kDivs,
  // LINK An,#d (src Imm); UNLK An (dst).
  kLink,
  kUnlk,
  // BTST, BCHG, BCLR, BSET: bit number in src (Dn or Imm), the whole Dn
  // (long) or a byte of memory in dst.
  kBtst,
  kBchg,
  kBclr,
  kBset,
  // ADDX, SUBX Dy,Dx or -(Ay),-(Ax); NEGX <ea> (dst): X in, Z only
  // cleared.
  kAddx,
  kSubx,
  kNegx,
  // MOVE <ea>,CCR (src, a word); ANDI, ORI, EORI #imm,CCR (src Imm).
  kMoveToCcr,
  kAndiCcr,
  kOriCcr,
  kEoriCcr,
};

enum class ShiftOp : uint8_t { kAsr, kAsl, kLsr, kLsl, kRor, kRol };

// Which way a block goes on past a branch in its middle (guest_block.cpp);
// the other way is a side exit.
enum class Follow : uint8_t { kNone, kTaken, kFallThrough };

struct Operand {
  m68k::Ea mode = m68k::Ea::Dn;
  uint8_t reg = 0;
  // Disp: the sign-extended displacement. Index and PcIndex: the extension
  // word. AbsW, AbsL, PcDisp: the address. Imm: the value, zero-extended
  // from the size (quick values and MOVEQ's sign-extended byte as they
  // act).
  uint32_t value = 0;
  // PcIndex: the base, the address of the extension word.
  uint32_t base = 0;
};

struct Insn {
  uint32_t address = 0;  // as the PC holds it (all 32 bits)
  uint32_t next = 0;     // address + length
  uint16_t opcode = 0;
  uint8_t length = 2;
  Kind kind = Kind::kCallOut;
  m68k::Size size = m68k::Size::Long;
  Operand src, dst;
  uint8_t condition = 0;  // kBcc, kDbcc, kScc
  ShiftOp shift = ShiftOp::kLsl;
  uint32_t target = 0;         // kBra, kBsr, kBcc, kDbcc: the branch target
  uint16_t register_mask = 0;  // MOVEM, as the instruction holds it
  uint8_t flags_read = 0;
  uint8_t flags_written = 0;
  // Control may leave the straight line after this instruction (a branch,
  // a jump, a return, an exception it always raises), or it must end a
  // block for another reason (STOP).
  bool ends_block = false;
  // A call-out whose length the decoder could not tell: nothing after it
  // can be decoded.
  bool length_unknown = false;
  // Touches guest memory (and may find the I/O region there), or writes it.
  bool accesses_memory = false;
  bool writes_memory = false;
  // Set by the block reader: where the block's next instruction is (`next`,
  // or the target of a branch the block follows), and how.
  uint32_t trace_next = 0;
  Follow follow = Follow::kNone;
};

// Decodes the instruction at `address` from guest memory (read masked to 24
// bits, never outside the array).
Insn decode(uint32_t address);

// Flags a condition (0 to 15) of Bcc, DBcc or Scc reads.
uint8_t condition_flags(unsigned condition);

// True when the opcode leaves the straight line whatever its operands (the
// tier's interpreter loop ends a run of instructions at these).
constexpr bool leaves_straight_line(uint16_t op) {
  switch (op >> 12) {
    case 0x6:
      return true;  // BRA, BSR, Bcc
    case 0x5:
      return (op & 0xF0F8) == 0x50C8;  // DBcc
    case 0x4:
      return (op & 0xFF80) == 0x4E80     // JSR, JMP
             || (op & 0xFFF0) == 0x4E40  // TRAP
             || op == 0x4E72             // STOP
             || op == 0x4E73             // RTE
             || op == 0x4E75             // RTS
             || op == 0x4E77             // RTR
             || op == 0x4AFC;            // ILLEGAL
    case 0xA:
    case 0xF:
      return true;
    default:
      return false;
  }
}

// The same as a bit per opcode, for the run loop: one load and a test per
// instruction it interprets.
struct StraightLineEnds {
  uint64_t bits[0x10000 / 64];
};
constexpr StraightLineEnds make_straight_line_ends() {
  StraightLineEnds t{};
  for (uint32_t op = 0; op < 0x10000; ++op)
    if (leaves_straight_line(static_cast<uint16_t>(op)))
      t.bits[op >> 6] |= uint64_t{1} << (op & 63);
  return t;
}
inline constexpr StraightLineEnds kStraightLineEnds = make_straight_line_ends();

inline bool ends_straight_line(uint16_t opcode) {
  return (kStraightLineEnds.bits[opcode >> 6] >> (opcode & 63)) & 1;
}

}  // namespace translator
