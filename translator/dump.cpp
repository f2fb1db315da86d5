#include "translator/dump.h"

#include "cpu/decode_table.h"
#include "machine/emu_memory.h"

namespace translator {

namespace {

const char* mode_name(m68k::Ea m) {
  static const char* const kNames[] = {"Dn",        "An",        "(An)",  "(An)+", "-(An)",
                                       "d16(An)",   "d8(An,Xn)", "abs.w", "abs.l", "d16(PC)",
                                       "d8(PC,Xn)", "#imm",      "(A7)+", "-(A7)"};
  return kNames[static_cast<unsigned>(m)];
}

void flags_text(uint8_t flags, char* out) {
  const char letters[] = "XNZVC";
  for (unsigned i = 0; i < 5; ++i) out[i] = (flags & (0x10 >> i)) ? letters[i] : '-';
  out[5] = 0;
}

}  // namespace

const char* kind_name(Kind kind) {
  static const char* const kNames[] = {
      "call-out", "MOVE", "MOVEA", "MOVEQ", "LEA",  "PEA", "CLR", "TST", "NOT",  "NEG",  "EXT.W",
      "EXT.L",    "SWAP", "ADD",   "SUB",   "CMP",  "AND", "OR",  "EOR", "ADDA", "SUBA", "CMPA",
      "shift",    "BRA",  "BSR",   "Bcc",   "DBcc", "Scc", "JMP", "JSR", "RTS",  "NOP"};
  return kNames[static_cast<unsigned>(kind)];
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
    if (in.kind == Kind::kCallOut)
      std::fprintf(out, "  %08x  %-30s %s (%s)\n", in.address, words, kind_name(in.kind),
                   m68k::opcode_family(in.opcode));
    else
      std::fprintf(out, "  %08x  %-30s %s.%c %s,%s  live after %s\n", in.address, words,
                   kind_name(in.kind), "?bw?l"[static_cast<unsigned>(in.size)],
                   mode_name(in.src.mode), mode_name(in.dst.mode), live);
  }
}

}  // namespace translator
