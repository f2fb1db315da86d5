#include "translator/decoder.h"

#include <cstring>

#include "cpu/decode_table.h"
#include "machine/emu_memory.h"

namespace translator {

namespace {

using m68k::Ea;
using m68k::Size;

// Extension words in instruction-stream order.
struct WordReader {
  uint32_t cursor;  // address of the next word, as the PC holds it

  uint32_t word() {
    const uint32_t v = machine::peek16(cursor);
    cursor += 2;
    return v;
  }
  uint32_t longword() {
    const uint32_t high = word();
    return (high << 16) | word();
  }
};

constexpr Size size_of_field(unsigned field) {
  return field == 0 ? Size::Byte : field == 1 ? Size::Word : Size::Long;
}

constexpr char size_letter(Size s) {
  return s == Size::Byte ? 'b' : s == Size::Word ? 'w' : 'l';
}

// Mode and register fields of an effective address; false for the unused
// mode-7 registers 5 to 7.
bool mode_of(unsigned mode, unsigned reg, Ea& out) {
  static constexpr Ea kModes[] = {Ea::Dn,     Ea::An,   Ea::Ind,  Ea::PostInc,
                                  Ea::PreDec, Ea::Disp, Ea::Index};
  static constexpr Ea kMode7[] = {Ea::AbsW, Ea::AbsL, Ea::PcDisp, Ea::PcIndex, Ea::Imm};
  if (mode < 7) {
    out = kModes[mode];
    return true;
  }
  if (reg > 4) return false;
  out = kMode7[reg];
  return true;
}

// Reads an operand's extension words, as the interpreter's Operand::evaluate
// fetches them.
bool read_operand(WordReader& r, unsigned mode, unsigned reg, Size size, Operand& out) {
  if (!mode_of(mode, reg, out.mode)) return false;
  out.reg = static_cast<uint8_t>(reg);
  switch (out.mode) {
    case Ea::Disp:
      out.value = static_cast<uint32_t>(static_cast<int16_t>(r.word()));
      break;
    case Ea::Index:
      out.value = r.word();
      break;
    case Ea::AbsW:
      out.value = static_cast<uint32_t>(static_cast<int16_t>(r.word()));
      break;
    case Ea::AbsL:
      out.value = r.longword();
      break;
    case Ea::PcDisp: {
      const uint32_t base = r.cursor;
      out.value = base + static_cast<uint32_t>(static_cast<int16_t>(r.word()));
      break;
    }
    case Ea::PcIndex:
      out.base = r.cursor;
      out.value = r.word();
      break;
    case Ea::Imm:
      if (size == Size::Long)
        out.value = r.longword();
      else
        out.value = r.word() & (size == Size::Byte ? 0xFF : 0xFFFF);
      break;
    default:
      break;
  }
  return true;
}

bool is_memory(Ea m) {
  return m != Ea::Dn && m != Ea::An && m != Ea::Imm;
}

// The interpreter's name for the opcode's row must be the one the kind was
// decoded as; anything else (an encoding the 68000 does not have) stays
// with the interpreter.
bool family_is(uint16_t opcode, const char* name, Size size, bool sized) {
  char expected[16];
  std::strcpy(expected, name);
  if (sized) {
    const size_t n = std::strlen(expected);
    expected[n] = '.';
    expected[n + 1] = size_letter(size);
    expected[n + 2] = 0;
  }
  return std::strcmp(m68k::opcode_family(opcode), expected) == 0;
}

class Decoder {
 public:
  explicit Decoder(uint32_t address) {
    insn_.address = address;
    insn_.opcode = static_cast<uint16_t>(machine::peek16(address));
    reader_.cursor = address + 2;
  }

  Insn run() {
    const uint16_t op = insn_.opcode;
    if (!translated(op)) {
      // Whatever the attempt filled in goes; the interpreter decodes it.
      Insn fresh;
      fresh.address = insn_.address;
      fresh.opcode = op;
      insn_ = fresh;
      reader_.cursor = insn_.address + 2;
      call_out(op);
    }
    insn_.length = static_cast<uint8_t>(reader_.cursor - insn_.address);
    insn_.next = reader_.cursor;
    return insn_;
  }

 private:
  Insn insn_;
  WordReader reader_{};

  // --- Translated forms -----------------------------------------------------

  // Records the kind once the operands are read, unless the interpreter
  // decodes the opcode as something else (an encoding the 68000 does not
  // have): then the attempt is dropped and the opcode becomes a call-out.
  bool accept(Kind kind, const char* family, bool sized) {
    if (!family_is(insn_.opcode, family, insn_.size, sized)) return false;
    insn_.kind = kind;
    // LEA, PEA, JMP and JSR only compute their operand's address.
    const bool address_only =
        kind == Kind::kLea || kind == Kind::kPea || kind == Kind::kJmp || kind == Kind::kJsr;
    const bool stack = kind == Kind::kPea || kind == Kind::kJsr || kind == Kind::kBsr;
    insn_.accesses_memory = (is_memory(insn_.src.mode) && !address_only) ||
                            is_memory(insn_.dst.mode) || stack || kind == Kind::kRts;
    insn_.writes_memory = insn_.writes_memory || stack || kind == Kind::kMovemToMemory;
    return true;
  }

  bool operand(Operand& out, unsigned field_mode, unsigned field_reg) {
    return read_operand(reader_, field_mode, field_reg, insn_.size, out);
  }

  void set_flags(uint8_t read, uint8_t written) {
    insn_.flags_read = read;
    insn_.flags_written = written;
  }

  bool translated(uint16_t op) {
    const unsigned line = op >> 12;
    const unsigned reg_hi = (op >> 9) & 7;
    const unsigned mode_lo = (op >> 3) & 7;
    const unsigned reg_lo = op & 7;
    const unsigned size_field = (op >> 6) & 3;
    switch (line) {
      case 0x0:
        if (op & 0x100 || (op & 0xFF00) == 0x0800)
          return bit_operation(op, reg_hi, mode_lo, reg_lo);
        return immediate_alu(op, mode_lo, reg_lo, size_field);
      case 0x1:
      case 0x2:
      case 0x3:
        return move(op, line, reg_hi, mode_lo, reg_lo);
      case 0x4:
        return line4(op, reg_hi, mode_lo, reg_lo, size_field);
      case 0x5:
        return line5(op, reg_hi, mode_lo, reg_lo, size_field);
      case 0x6:
        return branch(op);
      case 0x7:
        if (op & 0x100) return false;
        insn_.size = Size::Long;
        insn_.src.mode = Ea::Imm;
        insn_.src.value = static_cast<uint32_t>(static_cast<int8_t>(op & 0xFF));
        insn_.dst.reg = static_cast<uint8_t>(reg_hi);
        set_flags(0, kFlagsNZVC);
        return accept(Kind::kMoveq, "MOVE.q", false);
      case 0x8:
      case 0x9:
      case 0xB:
      case 0xC:
      case 0xD:
        return register_alu(op, line, reg_hi, mode_lo, reg_lo, size_field);
      case 0xE:
        return shift(op, reg_hi, mode_lo, reg_lo, size_field);
      default:
        return false;
    }
  }

  // ORI, ANDI, SUBI, ADDI, EORI, CMPI #imm,<ea>.
  bool immediate_alu(uint16_t op, unsigned mode, unsigned reg, unsigned size_field) {
    if (op & 0x100 || size_field == 3) return false;
    static constexpr struct {
      Kind kind;
      const char* family;
    } kOps[8] = {{Kind::kOr, "OR"},   {Kind::kAnd, "AND"},  {Kind::kSub, "SUB"},
                 {Kind::kAdd, "ADD"}, {Kind::kCallOut, ""}, {Kind::kEor, "EOR"},
                 {Kind::kCmp, "CMP"}, {Kind::kCallOut, ""}};
    const auto& row = kOps[(op >> 9) & 7];
    if (row.kind == Kind::kCallOut) return false;
    // The SR forms (mode 7, register 4, word) stay with the interpreter.
    if (mode == 7 && reg == 4) return size_field == 0 && ccr_immediate(op);
    insn_.size = size_of_field(size_field);
    if (!operand(insn_.src, 7, 4)) return false;
    if (!operand(insn_.dst, mode, reg)) return false;
    if (insn_.dst.mode == Ea::An) return false;
    alu_flags(row.kind);
    return accept(row.kind, row.family, true);
  }

  void alu_flags(Kind kind) {
    switch (kind) {
      case Kind::kAdd:
      case Kind::kSub:
        set_flags(0, kFlagsAll);
        insn_.writes_memory = is_memory(insn_.dst.mode);
        break;
      case Kind::kCmp:
        set_flags(0, kFlagsNZVC);
        break;
      default:  // AND, OR, EOR
        set_flags(0, kFlagsNZVC);
        insn_.writes_memory = is_memory(insn_.dst.mode);
        break;
    }
  }

  bool move(uint16_t op, unsigned line, unsigned reg_hi, unsigned mode_lo, unsigned reg_lo) {
    insn_.size = line == 1 ? Size::Byte : line == 3 ? Size::Word : Size::Long;
    const unsigned dst_mode = (op >> 6) & 7;
    if (!operand(insn_.src, mode_lo, reg_lo)) return false;
    if (dst_mode == 1) {
      insn_.dst.mode = Ea::An;
      insn_.dst.reg = static_cast<uint8_t>(reg_hi);
      return accept(Kind::kMovea, "MOVEA", true);
    }
    if (!operand(insn_.dst, dst_mode, reg_hi)) return false;
    set_flags(0, kFlagsNZVC);
    insn_.writes_memory = is_memory(insn_.dst.mode);
    return accept(Kind::kMove, "MOVE", true);
  }

  bool line4(uint16_t op, unsigned reg_hi, unsigned mode, unsigned reg, unsigned size_field) {
    if ((op & 0xFFF0) == 0x4E50) return link_unlink(op, reg);
    if ((op & 0xFFC0) == 0x44C0) {
      insn_.size = Size::Word;
      if (!operand(insn_.src, mode, reg)) return false;
      set_flags(0, kFlagsAll);
      return accept(Kind::kMoveToCcr, "MOVEtoCCR", false);
    }
    if (op == 0x4E75) {
      insn_.ends_block = true;
      return accept(Kind::kRts, "RTS", false);
    }
    if (op == 0x4E71) return accept(Kind::kNop, "NOP", false);
    if ((op & 0xFFC0) == 0x4EC0 || (op & 0xFFC0) == 0x4E80) {
      const bool jsr = (op & 0xFFC0) == 0x4E80;
      if (!operand(insn_.src, mode, reg)) return false;
      // A jump to itself is the interpreter's idle loop: it cuts the budget.
      if (!jsr && constant_address(insn_.src) && insn_.src.value == insn_.address) return false;
      insn_.ends_block = true;
      return accept(jsr ? Kind::kJsr : Kind::kJmp, jsr ? "JSR" : "JMP", false);
    }
    if ((op & 0xF1C0) == 0x41C0) {
      if (!operand(insn_.src, mode, reg)) return false;
      insn_.dst.mode = Ea::An;
      insn_.dst.reg = static_cast<uint8_t>(reg_hi);
      return accept(Kind::kLea, "LEA", false);
    }
    if ((op & 0xFFC0) == 0x4840 && mode != 0) {
      if (!operand(insn_.src, mode, reg)) return false;
      return accept(Kind::kPea, "PEA", false);
    }
    if ((op & 0xFFF8) == 0x4840) {
      insn_.dst.reg = static_cast<uint8_t>(reg);
      set_flags(0, kFlagsNZVC);
      return accept(Kind::kSwap, "SWAP", false);
    }
    if ((op & 0xFB80) == 0x4880 && mode >= 2) {
      // MOVEM: the register mask comes before the address's extension words.
      const bool to_registers = op & 0x400;
      insn_.size = (op & 0x40) ? Size::Long : Size::Word;
      insn_.register_mask = static_cast<uint16_t>(reader_.word());
      if (!operand(to_registers ? insn_.src : insn_.dst, mode, reg)) return false;
      if (to_registers) insn_.dst = Operand{};
      return accept(to_registers ? Kind::kMovemToRegisters : Kind::kMovemToMemory, "MOVEM", true);
    }
    if ((op & 0xFFF8) == 0x4880 || (op & 0xFFF8) == 0x48C0) {
      const bool to_long = op & 0x40;
      insn_.size = to_long ? Size::Long : Size::Word;
      insn_.dst.reg = static_cast<uint8_t>(reg);
      set_flags(0, kFlagsNZVC);
      return accept(to_long ? Kind::kExtLong : Kind::kExtWord, to_long ? "EXT.l" : "EXT.w", false);
    }
    if (size_field == 3) return false;
    if ((op & 0xFF00) == 0x4000) {
      insn_.size = size_of_field(size_field);
      if (!operand(insn_.dst, mode, reg)) return false;
      set_flags(kFlagX | kFlagZ, kFlagsAll);
      insn_.writes_memory = is_memory(insn_.dst.mode);
      return accept(Kind::kNegx, "NEGX", true);
    }
    static constexpr struct {
      uint16_t base;
      Kind kind;
      const char* family;
      uint8_t written;
    } kUnary[] = {{0x4200, Kind::kClr, "CLR", kFlagsNZVC},
                  {0x4400, Kind::kNeg, "NEG", kFlagsAll},
                  {0x4600, Kind::kNot, "NOT", kFlagsNZVC},
                  {0x4A00, Kind::kTst, "TST", kFlagsNZVC}};
    for (const auto& u : kUnary) {
      if ((op & 0xFF00) != u.base) continue;
      insn_.size = size_of_field(size_field);
      if (!operand(insn_.dst, mode, reg)) return false;
      set_flags(0, u.written);
      insn_.writes_memory = u.kind != Kind::kTst && is_memory(insn_.dst.mode);
      return accept(u.kind, u.family, true);
    }
    return false;
  }

  // ADDQ, SUBQ, Scc, DBcc.
  bool line5(uint16_t op, unsigned reg_hi, unsigned mode, unsigned reg, unsigned size_field) {
    if (size_field == 3) {
      insn_.condition = static_cast<uint8_t>((op >> 8) & 15);
      if (mode == 1) {
        insn_.dst.reg = static_cast<uint8_t>(reg);
        const uint32_t base = reader_.cursor;
        insn_.target = base + static_cast<uint32_t>(static_cast<int16_t>(reader_.word()));
        insn_.size = Size::Word;
        insn_.ends_block = true;
        set_flags(condition_flags(insn_.condition), 0);
        return accept(Kind::kDbcc, "DBcc", false);
      }
      insn_.size = Size::Byte;
      if (!operand(insn_.dst, mode, reg)) return false;
      set_flags(condition_flags(insn_.condition), 0);
      insn_.writes_memory = is_memory(insn_.dst.mode);
      return accept(Kind::kScc, "Scc", false);
    }
    const bool subtract = op & 0x100;
    insn_.size = size_of_field(size_field);
    insn_.src.mode = Ea::Imm;
    insn_.src.value = m68k::count_field_value(reg_hi);
    if (!operand(insn_.dst, mode, reg)) return false;
    if (insn_.dst.mode == Ea::An) {
      // Word and long alike act on the whole register, without flags.
      return accept(subtract ? Kind::kSuba : Kind::kAdda, subtract ? "SUB" : "ADD", true);
    }
    set_flags(0, kFlagsAll);
    insn_.writes_memory = is_memory(insn_.dst.mode);
    return accept(subtract ? Kind::kSub : Kind::kAdd, subtract ? "SUB" : "ADD", true);
  }

  bool branch(uint16_t op) {
    const unsigned condition = (op >> 8) & 15;
    const uint32_t disp8 = op & 0xFF;
    if (disp8 == 0xFF) return false;  // the later models' long form: illegal here
    const uint32_t base = reader_.cursor;
    if (disp8 == 0)
      insn_.target = base + static_cast<uint32_t>(static_cast<int16_t>(reader_.word()));
    else
      insn_.target = base + static_cast<uint32_t>(static_cast<int8_t>(disp8));
    insn_.condition = static_cast<uint8_t>(condition);
    insn_.ends_block = true;
    if (condition == 1) return accept(Kind::kBsr, "BSR", false);
    // A branch to itself is the interpreter's idle loop: it cuts the budget.
    if (condition == 0) return insn_.target != insn_.address && accept(Kind::kBra, "Bcc", false);
    set_flags(condition_flags(condition), 0);
    return accept(Kind::kBcc, "Bcc", false);
  }

  // OR, SUB, CMP, EOR, AND, ADD and the address forms of lines 8 to D.
  bool register_alu(uint16_t op, unsigned line, unsigned reg_hi, unsigned mode, unsigned reg,
                    unsigned size_field) {
    const bool to_ea = op & 0x100;
    Kind kind;
    const char* family;
    switch (line) {
      case 0x8:
        kind = Kind::kOr, family = "OR";
        break;
      case 0x9:
        kind = Kind::kSub, family = "SUB";
        break;
      case 0xB:
        kind = to_ea ? Kind::kEor : Kind::kCmp, family = to_ea ? "EOR" : "CMP";
        break;
      case 0xC:
        kind = Kind::kAnd, family = "AND";
        break;
      default:
        kind = Kind::kAdd, family = "ADD";
        break;
    }
    if (size_field == 3) {
      if (line == 0x8) return divide(op, reg_hi, mode, reg);
      if (line == 0xC) {
        // MULU.W, MULS.W <ea>,Dn: the product of the words, whole.
        insn_.size = Size::Word;
        if (!operand(insn_.src, mode, reg)) return false;
        insn_.dst.reg = static_cast<uint8_t>(reg_hi);
        set_flags(0, kFlagsNZVC);
        return accept(to_ea ? Kind::kMuls : Kind::kMulu, to_ea ? "MULS" : "MULU", false);
      }
      // ADDA, SUBA, CMPA <ea>,An: bit 8 selects long.
      insn_.size = to_ea ? Size::Long : Size::Word;
      if (!operand(insn_.src, mode, reg)) return false;
      insn_.dst.mode = Ea::An;
      insn_.dst.reg = static_cast<uint8_t>(reg_hi);
      const Kind address_kind = line == 0x9 ? Kind::kSuba : line == 0xB ? Kind::kCmpa : Kind::kAdda;
      const char* address_family = line == 0x9 ? "SUBA" : line == 0xB ? "CMPA" : "ADDA";
      if (address_kind == Kind::kCmpa) set_flags(0, kFlagsNZVC);
      return accept(address_kind, address_family, true);
    }
    insn_.size = size_of_field(size_field);
    Operand data;
    data.mode = Ea::Dn;
    data.reg = static_cast<uint8_t>(reg_hi);
    if (to_ea && kind != Kind::kEor) {
      // Dn,<ea>: memory destinations only; register modes here are ADDX,
      // SUBX, ABCD, SBCD, EXG and CMPM.
      if (mode < 2) return (line == 0x9 || line == 0xD) && extended(line, reg_hi, mode, reg);
      insn_.src = data;
      if (!operand(insn_.dst, mode, reg)) return false;
    } else if (to_ea) {
      if (mode == 1) return compare_memory(reg_hi, reg);
      insn_.src = data;
      if (!operand(insn_.dst, mode, reg)) return false;
    } else {
      if (!operand(insn_.src, mode, reg)) return false;
      insn_.dst = data;
    }
    alu_flags(kind);
    return accept(kind, family, true);
  }

  // ASL, ASR, LSL, LSR, ROL, ROR of a data register.
  bool shift(uint16_t op, unsigned reg_hi, unsigned mode, unsigned reg, unsigned size_field) {
    if (size_field == 3) return false;  // memory forms
    const unsigned type = mode & 3;
    if (type == 2) return false;  // the rotates through X
    const bool left = op & 0x100;
    const bool by_register = mode & 4;
    insn_.size = size_of_field(size_field);
    static constexpr ShiftOp kOps[4][2] = {{ShiftOp::kAsr, ShiftOp::kAsl},
                                           {ShiftOp::kLsr, ShiftOp::kLsl},
                                           {ShiftOp::kAsr, ShiftOp::kAsl},
                                           {ShiftOp::kRor, ShiftOp::kRol}};
    insn_.shift = kOps[type][left];
    insn_.dst.reg = static_cast<uint8_t>(reg);
    // The rotates leave X alone.
    const uint8_t written = type == 3 ? kFlagsNZVC : kFlagsAll;
    if (by_register) {
      // ASL by a register count keeps its overflow rule with the
      // interpreter, and the rotates theirs.
      if (insn_.shift == ShiftOp::kAsl || type == 3) return false;
      insn_.src.mode = Ea::Dn;
      insn_.src.reg = static_cast<uint8_t>(reg_hi);
      // A count of 0 leaves X as it was.
      set_flags(kFlagX, kFlagsAll);
    } else {
      insn_.src.mode = Ea::Imm;
      insn_.src.value = m68k::count_field_value(reg_hi);
      set_flags(0, written);
    }
    static constexpr const char* kNames[] = {"ASR", "ASL", "LSR", "LSL", "ROR", "ROL"};
    return accept(Kind::kShift, kNames[static_cast<unsigned>(insn_.shift)], true);
  }

  // DIVU.W, DIVS.W <ea>,Dn. A divide by zero is handed to the interpreter
  // (which raises the exception): the form may leave before it has done
  // anything, like a memory access. An overflow leaves N and Z as they were,
  // so only V and C count as written.
  bool divide(uint16_t op, unsigned reg_hi, unsigned mode, unsigned reg) {
    const bool is_signed = op & 0x100;
    insn_.size = Size::Word;
    if (!operand(insn_.src, mode, reg)) return false;
    insn_.dst.reg = static_cast<uint8_t>(reg_hi);
    set_flags(0, kFlagV | kFlagC);
    if (!accept(is_signed ? Kind::kDivs : Kind::kDivu, is_signed ? "DIVS" : "DIVU", false))
      return false;
    insn_.accesses_memory = true;
    return true;
  }

  // ADDX, SUBX Dy,Dx or -(Ay),-(Ax) (insn_.size already set): X is added
  // or subtracted, and Z, only ever cleared, is read as well.
  bool extended(unsigned line, unsigned reg_hi, unsigned mode, unsigned reg) {
    insn_.src.mode = mode == 0 ? Ea::Dn : Ea::PreDec;
    insn_.src.reg = static_cast<uint8_t>(reg);
    insn_.dst.mode = insn_.src.mode;
    insn_.dst.reg = static_cast<uint8_t>(reg_hi);
    set_flags(kFlagX | kFlagZ, kFlagsAll);
    insn_.writes_memory = mode != 0;
    const bool add = line == 0xD;
    return accept(add ? Kind::kAddx : Kind::kSubx, add ? "ADDX" : "SUBX", true);
  }

  // ANDI, ORI, EORI #imm,CCR: a flag the value forces is written for
  // certain, the others pass through (and are read).
  bool ccr_immediate(uint16_t op) {
    insn_.size = Size::Byte;
    if (!operand(insn_.src, 7, 4)) return false;
    const uint8_t bits = insn_.src.value & kFlagsAll;
    switch (op >> 9) {
      case 0:
        set_flags(kFlagsAll, bits);
        return accept(Kind::kOriCcr, "ORItoCCR", false);
      case 1:
        set_flags(kFlagsAll, static_cast<uint8_t>(~bits & kFlagsAll));
        return accept(Kind::kAndiCcr, "ANDItoCCR", false);
      case 5:
        set_flags(kFlagsAll, 0);
        return accept(Kind::kEoriCcr, "EORItoCCR", false);
      default:
        return false;
    }
  }

  // CMPM (Ay)+,(Ax)+: a compare of two memory operands.
  bool compare_memory(unsigned reg_hi, unsigned reg) {
    insn_.src.mode = Ea::PostInc;
    insn_.src.reg = static_cast<uint8_t>(reg);
    insn_.dst.mode = Ea::PostInc;
    insn_.dst.reg = static_cast<uint8_t>(reg_hi);
    set_flags(0, kFlagsNZVC);
    return accept(Kind::kCmp, "CMP", true);
  }

  // LINK An,#d and UNLK An: a long pushed or popped, no flags.
  bool link_unlink(uint16_t op, unsigned reg) {
    insn_.size = Size::Long;
    insn_.dst.mode = Ea::An;
    insn_.dst.reg = static_cast<uint8_t>(reg);
    const bool unlink = op & 8;
    if (!unlink) {
      insn_.src.mode = Ea::Imm;
      insn_.src.value = static_cast<uint32_t>(static_cast<int16_t>(reader_.word()));
    }
    if (!accept(unlink ? Kind::kUnlk : Kind::kLink, unlink ? "UNLINK" : "LINK", false))
      return false;
    insn_.accesses_memory = true;
    insn_.writes_memory = !unlink;
    return true;
  }

  // BTST, BCHG, BCLR, BSET with a register or an immediate bit number: on
  // Dn the whole register, on memory a byte. Only Z changes.
  bool bit_operation(uint16_t op, unsigned reg_hi, unsigned mode, unsigned reg) {
    if ((op & 0xF138) == 0x0108) return false;  // MOVEP
    static constexpr struct {
      Kind kind;
      const char* family;
    } kOps[4] = {
        {Kind::kBtst, "BTST"}, {Kind::kBchg, "BCHG"}, {Kind::kBclr, "BCLR"}, {Kind::kBset, "BSET"}};
    const auto& row = kOps[(op >> 6) & 3];
    if (op & 0x100) {
      insn_.src.mode = Ea::Dn;
      insn_.src.reg = static_cast<uint8_t>(reg_hi);
    } else {
      insn_.src.mode = Ea::Imm;
      insn_.src.value = reader_.word() & 0xFF;
    }
    insn_.size = mode == 0 ? Size::Long : Size::Byte;
    if (!operand(insn_.dst, mode, reg)) return false;
    if (insn_.dst.mode == Ea::An) return false;
    set_flags(0, kFlagZ);
    insn_.writes_memory = row.kind != Kind::kBtst && is_memory(insn_.dst.mode);
    return accept(row.kind, row.family, false);
  }

  static bool constant_address(const Operand& o) {
    return o.mode == Ea::AbsW || o.mode == Ea::AbsL || o.mode == Ea::PcDisp;
  }

  // --- Call-outs ------------------------------------------------------------

  // Skips an operand's extension words; false for an invalid mode.
  bool skip(unsigned mode, unsigned reg, Size size) {
    Operand ignored;
    return read_operand(reader_, mode, reg, size, ignored);
  }

  void call_out(uint16_t op) {
    insn_.kind = Kind::kCallOut;
    set_flags(kFlagsAll, 0);
    insn_.accesses_memory = insn_.writes_memory = true;
    if (!call_out_length(op)) {
      reader_.cursor = insn_.address + 2;
      insn_.length_unknown = true;
      insn_.ends_block = true;
    }
    if (leaves_straight_line(op)) insn_.ends_block = true;
  }

  // Consumes the extension words of an instruction the tier does not
  // translate. False when the opcode has no 68000 meaning the decoder knows
  // (the interpreter raises an exception for it, or the decoder cannot
  // tell its length).
  bool call_out_length(uint16_t op) {
    const unsigned line = op >> 12;
    const unsigned mode = (op >> 3) & 7;
    const unsigned reg = op & 7;
    const unsigned size_field = (op >> 6) & 3;
    const Size size = size_of_field(size_field);
    switch (line) {
      case 0x0:
        if ((op & 0xF138) == 0x0108) {  // MOVEP
          reader_.word();
          return true;
        }
        if (op & 0x100) return skip(mode, reg, mode == 0 ? Size::Long : Size::Byte);  // Bxxx Dn
        if ((op & 0xFF00) == 0x0800) {                                                // Bxxx #n
          reader_.word();
          return skip(mode, reg, Size::Byte);
        }
        if (size_field == 3) return false;
        if (mode == 7 && reg == 4) {  // to CCR or SR
          reader_.word();
          return true;
        }
        reader_.cursor += size == Size::Long ? 4 : 2;
        return skip(mode, reg, size);
      case 0x1:
      case 0x2:
      case 0x3: {
        const Size move_size = line == 1 ? Size::Byte : line == 3 ? Size::Word : Size::Long;
        return skip(mode, reg, move_size) && skip((op >> 6) & 7, (op >> 9) & 7, move_size);
      }
      case 0x4:
        return line4_length(op, mode, reg, size_field);
      case 0x5:
        if (size_field == 3 && mode == 1) {
          reader_.word();
          return true;
        }
        return skip(mode, reg, size_field == 3 ? Size::Byte : size);
      case 0x6:
        if ((op & 0xFF) == 0xFF) return false;
        if ((op & 0xFF) == 0) reader_.word();
        return true;
      case 0x7:
        return true;
      case 0x8:
      case 0x9:
      case 0xB:
      case 0xC:
      case 0xD:
        if (size_field == 3)
          return skip(mode, reg,
                      (op & 0x100) && line != 0x8 && line != 0xC ? Size::Long : Size::Word);
        if ((op & 0x100) && mode < 2) return true;  // ADDX, SUBX, ABCD, SBCD, EXG, CMPM
        return skip(mode, reg, size);
      case 0xE:
        if (size_field == 3) return skip(mode, reg, Size::Word);
        return true;
      default:  // lines A and F
        return false;
    }
  }

  bool line4_length(uint16_t op, unsigned mode, unsigned reg, unsigned size_field) {
    if ((op & 0xFFF0) == 0x4E40 || (op & 0xFFF8) == 0x4E58 || (op & 0xFFF0) == 0x4E60 ||
        op == 0x4E70 || op == 0x4E73 || op == 0x4E76 || op == 0x4E77)
      return true;                                  // TRAP, UNLK, MOVE USP, RESET, RTE, TRAPV, RTR
    if ((op & 0xFFF8) == 0x4E50 || op == 0x4E72) {  // LINK, STOP
      reader_.word();
      return true;
    }
    if ((op & 0xFB80) == 0x4880 && mode != 0) {  // MOVEM
      reader_.word();
      return skip(mode, reg, Size::Word);
    }
    if ((op & 0xF1C0) == 0x4180) return skip(mode, reg, Size::Word);  // CHK
    if ((op & 0xF1C0) == 0x41C0 || (op & 0xFF80) == 0x4E80 ||
        ((op & 0xFFC0) == 0x4840 && mode != 0))
      return skip(mode, reg, Size::Long);                                 // LEA, JSR, JMP, PEA
    if ((op & 0xFFB8) == 0x4880 || (op & 0xFFF8) == 0x4840) return true;  // EXT, SWAP
    if (op == 0x4AFC) return false;
    if ((op & 0xFFC0) == 0x40C0 || (op & 0xFFC0) == 0x44C0 || (op & 0xFFC0) == 0x46C0 ||
        (op & 0xFFC0) == 0x4AC0 || (op & 0xFFC0) == 0x4800)
      return skip(mode, reg, Size::Word);  // MOVE SR/CCR, TAS, NBCD
    if ((op & 0xFF00) == 0x4000 && size_field != 3)
      return skip(mode, reg, size_of_field(size_field));
    return false;
  }
};

}  // namespace

Insn decode(uint32_t address) {
  return Decoder(address).run();
}

uint8_t condition_flags(unsigned condition) {
  static constexpr uint8_t kRead[16] = {0,
                                        0,
                                        kFlagC | kFlagZ,
                                        kFlagC | kFlagZ,
                                        kFlagC,
                                        kFlagC,
                                        kFlagZ,
                                        kFlagZ,
                                        kFlagV,
                                        kFlagV,
                                        kFlagN,
                                        kFlagN,
                                        kFlagN | kFlagV,
                                        kFlagN | kFlagV,
                                        kFlagN | kFlagV | kFlagZ,
                                        kFlagN | kFlagV | kFlagZ};
  return kRead[condition & 15];
}

}  // namespace translator
