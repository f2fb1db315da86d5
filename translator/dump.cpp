#include "translator/dump.h"

#include <cstring>

#include "cpu/decode_table.h"
#include "machine/emu_memory.h"

namespace translator {

namespace {

using m68k::Ea;

// An operand in assembler notation, with its extension values.
void operand_text(const Operand& o, char* out, size_t size) {
  const unsigned r = o.reg;
  const char index_kind = (o.value & 0x8000) ? 'a' : 'd';
  const unsigned index_reg = (o.value >> 12) & 7;
  const char index_size = (o.value & 0x800) ? 'l' : 'w';
  const int disp8 = static_cast<int8_t>(o.value & 0xFF);
  switch (o.mode) {
    case Ea::Dn:
      std::snprintf(out, size, "d%u", r);
      break;
    case Ea::An:
      std::snprintf(out, size, "a%u", r);
      break;
    case Ea::Ind:
      std::snprintf(out, size, "(a%u)", r);
      break;
    case Ea::PostInc:
    case Ea::PostIncA7:
      std::snprintf(out, size, "(a%u)+", r);
      break;
    case Ea::PreDec:
    case Ea::PreDecA7:
      std::snprintf(out, size, "-(a%u)", r);
      break;
    case Ea::Disp:
      std::snprintf(out, size, "%d(a%u)", static_cast<int32_t>(o.value), r);
      break;
    case Ea::Index:
      std::snprintf(out, size, "%d(a%u,%c%u.%c)", disp8, r, index_kind, index_reg, index_size);
      break;
    case Ea::AbsW:
      std::snprintf(out, size, "$%x.w", o.value);
      break;
    case Ea::AbsL:
      std::snprintf(out, size, "$%x.l", o.value);
      break;
    case Ea::PcDisp:
      std::snprintf(out, size, "$%x(pc)", o.value);
      break;
    case Ea::PcIndex:
      std::snprintf(out, size, "%d(pc,%c%u.%c)", disp8, index_kind, index_reg, index_size);
      break;
    case Ea::Imm:
      std::snprintf(out, size, "#$%x", o.value);
      break;
  }
}

void flags_text(uint8_t flags, char* out) {
  const char letters[] = "XNZVC";
  for (unsigned i = 0; i < 5; ++i) out[i] = (flags & (0x10 >> i)) ? letters[i] : '-';
  out[5] = 0;
}

// Which operands a kind has: 2 both, 1 the destination only, 0 none.
unsigned operand_count(Kind kind) {
  switch (kind) {
    case Kind::kClr:
    case Kind::kTst:
    case Kind::kNot:
    case Kind::kNeg:
    case Kind::kExtWord:
    case Kind::kExtLong:
    case Kind::kSwap:
    case Kind::kScc:
    case Kind::kDbcc:
    case Kind::kMovemToMemory:
    case Kind::kUnlk:
    case Kind::kNegx:
      return 1;
    case Kind::kPea:
    case Kind::kMoveToCcr:
    case Kind::kAndiCcr:
    case Kind::kOriCcr:
    case Kind::kEoriCcr:
    case Kind::kJmp:
    case Kind::kJsr:
    case Kind::kMovemToRegisters:
      return 3;  // the source only
    case Kind::kBra:
    case Kind::kBsr:
    case Kind::kBcc:
    case Kind::kRts:
    case Kind::kNop:
    case Kind::kCallOut:
      return 0;
    default:
      return 2;
  }
}

}  // namespace

const char* kind_name(Kind kind) {
  switch (kind) {
    case Kind::kCallOut:
      return "call-out";
    case Kind::kMove:
      return "MOVE";
    case Kind::kMovea:
      return "MOVEA";
    case Kind::kMoveq:
      return "MOVEQ";
    case Kind::kLea:
      return "LEA";
    case Kind::kPea:
      return "PEA";
    case Kind::kClr:
      return "CLR";
    case Kind::kTst:
      return "TST";
    case Kind::kNot:
      return "NOT";
    case Kind::kNeg:
      return "NEG";
    case Kind::kExtWord:
    case Kind::kExtLong:
      return "EXT";
    case Kind::kSwap:
      return "SWAP";
    case Kind::kAdd:
      return "ADD";
    case Kind::kSub:
      return "SUB";
    case Kind::kCmp:
      return "CMP";
    case Kind::kAnd:
      return "AND";
    case Kind::kOr:
      return "OR";
    case Kind::kEor:
      return "EOR";
    case Kind::kAdda:
      return "ADDA";
    case Kind::kSuba:
      return "SUBA";
    case Kind::kCmpa:
      return "CMPA";
    case Kind::kShift:
      return "shift";
    case Kind::kMulu:
      return "MULU";
    case Kind::kMuls:
      return "MULS";
    case Kind::kMovemToMemory:
    case Kind::kMovemToRegisters:
      return "MOVEM";
    case Kind::kBra:
      return "BRA";
    case Kind::kBsr:
      return "BSR";
    case Kind::kBcc:
      return "Bcc";
    case Kind::kDbcc:
      return "DBcc";
    case Kind::kScc:
      return "Scc";
    case Kind::kJmp:
      return "JMP";
    case Kind::kJsr:
      return "JSR";
    case Kind::kRts:
      return "RTS";
    case Kind::kNop:
      return "NOP";
    case Kind::kDivu:
      return "DIVU";
    case Kind::kDivs:
      return "DIVS";
    case Kind::kLink:
      return "LINK";
    case Kind::kUnlk:
      return "UNLK";
    case Kind::kBtst:
      return "BTST";
    case Kind::kBchg:
      return "BCHG";
    case Kind::kBclr:
      return "BCLR";
    case Kind::kBset:
      return "BSET";
    case Kind::kAddx:
      return "ADDX";
    case Kind::kSubx:
      return "SUBX";
    case Kind::kNegx:
      return "NEGX";
    case Kind::kMoveToCcr:
      return "MOVE to CCR";
    case Kind::kAndiCcr:
      return "ANDI to CCR";
    case Kind::kOriCcr:
      return "ORI to CCR";
    case Kind::kEoriCcr:
      return "EORI to CCR";
  }
  return "?";
}

void dump_guest_block(std::FILE* out, const GuestBlock& block) {
  std::fprintf(out, "vellum: block %08x, %zu instructions, bytes %06x-%06x\n", block.pc,
               block.insns.size(), block.first, block.end);
  for (size_t i = 0; i < block.insns.size(); ++i) {
    const Insn& in = block.insns[i];
    char words[48] = "";
    int used = 0;
    for (unsigned w = 0; w < in.length / 2u && used < 40; ++w)
      used += std::snprintf(words + used, sizeof words - used, "%04x ",
                            machine::peek16(in.address + 2 * w));
    char live[6];
    flags_text(block.live_after[i], live);
    char text[96];
    if (in.kind == Kind::kCallOut) {
      std::snprintf(text, sizeof text, "call-out %s", m68k::opcode_family(in.opcode));
    } else {
      char src[32], dst[32];
      operand_text(in.src, src, sizeof src);
      operand_text(in.dst, dst, sizeof dst);
      const char* name =
          in.kind == Kind::kShift ? m68k::opcode_family(in.opcode) : kind_name(in.kind);
      const unsigned n = operand_count(in.kind);
      const char size = "?bw?l"[static_cast<unsigned>(in.size)];
      if (n == 2)
        std::snprintf(text, sizeof text, "%s.%c %s,%s", name, size, src, dst);
      else if (n == 1)
        std::snprintf(text, sizeof text, "%s.%c %s", name, size, dst);
      else if (n == 3)
        std::snprintf(text, sizeof text, "%s %s", name, src);
      else
        std::snprintf(text, sizeof text, "%s", name);
      if (in.kind == Kind::kBra || in.kind == Kind::kBsr || in.kind == Kind::kBcc ||
          in.kind == Kind::kDbcc) {
        const size_t len = std::strlen(text);
        std::snprintf(text + len, sizeof text - len, " -> %08x", in.target);
      }
    }
    std::fprintf(out, "  %08x  %-26s %-34s live after %s\n", in.address, words, text, live);
  }
}

}  // namespace translator
