// The tier's decoder against the interpreter: the length it gives every
// opcode is how far the interpreter's handler moves the PC, and the forms
// it translates are decoded with the operands the interpreter reads.
#include "translator/decoder.h"

#include <gtest/gtest.h>

#include <iomanip>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"

namespace translator {
namespace {

using m68k::Ea;
using m68k::Size;

constexpr uint32_t kAt = 0x1000;
constexpr uint32_t kVectors = 0x2000;  // every vector points into [0x2000, 0x2100)

// Registers and extension words chosen so that every address an operand
// can form lies in RAM: no access meets the I/O region.
void prepare(uint16_t opcode) {
  m68k::cpu = m68k::CpuState{};
  m68k::set_cpu_type(m68k::kM68000);
  m68k::set_register(m68k::kSR, 0x2700);
  for (unsigned n = 0; n < 8; ++n) m68k::cpu.dar[n] = 0x100;
  for (unsigned n = 8; n < 15; ++n) m68k::cpu.dar[n] = 0x4000;
  m68k::areg(7) = 0x8000;
  m68k::cpu.sp_slot[0] = 0x7000;
  for (unsigned v = 0; v < 64; ++v) machine::poke32(4 * v, kVectors + 4 * v);
  machine::poke16(kAt, opcode);
  for (unsigned w = 1; w <= 6; ++w) machine::poke16(kAt + 2 * w, 0x0100);
  machine::quit_flag = 0;
}

// One instruction as the execute loop runs it.
void interpret_one() {
  m68k::cpu.instr_addr = kAt;
  m68k::cpu.pc = kAt + 2;
  m68k::cpu.ir = machine::peek16(kAt);
  m68k::cycle_budget = 1000;
  m68k::instruction_jump_table[m68k::cpu.ir]();
}

TEST(DecoderLength, IsHowFarTheInterpreterMovesThePc) {
  machine::clear_memory();
  unsigned compared = 0;
  for (uint32_t op = 0; op < 0x10000; ++op) {
    prepare(static_cast<uint16_t>(op));
    const Insn insn = decode(kAt);
    interpret_one();
    const uint32_t pc = m68k::cpu.pc;
    const bool exception = pc >= kVectors && pc < kVectors + 0x100;
    if (insn.ends_block || insn.length_unknown || exception) continue;
    ++compared;
    ASSERT_EQ(pc, kAt + insn.length)
        << "opcode " << std::hex << std::setw(4) << std::setfill('0') << op << " ("
        << m68k::opcode_family(static_cast<uint16_t>(op)) << ")";
  }
  // Most of the opcode space goes straight on.
  EXPECT_GT(compared, 40000u);
}

// Instructions that leave the straight line whatever their operands end the
// tier's runs of interpreted instructions and its blocks.
TEST(DecoderLength, BranchesAndTrapsEndTheStraightLine) {
  for (uint16_t op : {0x6000, 0x61FE, 0x6702, 0x51C8, 0x4E75, 0x4E73, 0x4E77, 0x4E72, 0x4E41,
                      0x4ED0, 0x4E90, 0x4AFC, 0xA000, 0xF000})
    EXPECT_TRUE(ends_straight_line(op)) << std::hex << op;
  for (uint16_t op : {0x7001, 0xD081, 0x4E71, 0x2200, 0x4E76, 0x5280})
    EXPECT_FALSE(ends_straight_line(op)) << std::hex << op;
}

struct Expected {
  std::vector<uint16_t> words;
  Kind kind;
  Size size;
  Ea src, dst;
  uint8_t length;
  uint8_t flags_written;
};

// clang-format off
const Expected kDecodes[] = {
    {{0xD081},                 Kind::kAdd,   Size::Long, Ea::Dn,      Ea::Dn,     2, kFlagsAll},   // add.l d1,d0
    {{0x5387},                 Kind::kSub,   Size::Long, Ea::Imm,     Ea::Dn,     2, kFlagsAll},   // subq.l #1,d7
    {{0x5088},                 Kind::kAdda,  Size::Long, Ea::Imm,     Ea::An,     2, 0},           // addq.l #8,a0
    {{0x0C40, 0x1234},         Kind::kCmp,   Size::Word, Ea::Imm,     Ea::Dn,     4, kFlagsNZVC},  // cmpi.w #$1234,d0
    {{0xB1C9},                 Kind::kCmpa,  Size::Long, Ea::An,      Ea::An,     2, kFlagsNZVC},  // cmpa.l a1,a0
    {{0x2229, 0x0010},         Kind::kMove,  Size::Long, Ea::Disp,    Ea::Dn,     4, kFlagsNZVC},  // move.l 16(a1),d1
    {{0x11BB, 0x0006, 0x0800}, Kind::kMove,  Size::Byte, Ea::PcIndex, Ea::Index,  6, kFlagsNZVC},  // move.b 6(pc,d0.w),0(a0,d0.l)
    {{0x3079, 0x0001, 0x0000}, Kind::kMovea, Size::Word, Ea::AbsL,    Ea::An,     6, 0},           // movea.w $10000,a0
    {{0x41FA, 0x0010},         Kind::kLea,   Size::Long, Ea::PcDisp,  Ea::An,     4, 0},           // lea 16(pc),a0
    {{0xE2A8},                 Kind::kShift, Size::Long, Ea::Dn,      Ea::Dn,     2, kFlagsAll},   // lsr.l d1,d0
    {{0xE148},                 Kind::kShift, Size::Word, Ea::Imm,     Ea::Dn,     2, kFlagsAll},   // lsl.w #8,d0
    {{0x51C8, 0xFFFE},         Kind::kDbcc,  Size::Word, Ea::Dn,      Ea::Dn,     4, 0},           // dbra d0,*
    {{0x4E75},                 Kind::kRts,   Size::Long, Ea::Dn,      Ea::Dn,     2, 0},           // rts
    // Left to the interpreter: forms without a translation, the idle loops
    // whose handlers cut the budget, and encodings the 68000 does not have.
    {{0x60FE},                 Kind::kCallOut, Size::Long, Ea::Dn,    Ea::Dn,     2, 0},           // bra.s *
    {{0x4EF9, 0x0000, 0x1000}, Kind::kCallOut, Size::Long, Ea::Dn,    Ea::Dn,     6, 0},           // jmp * (abs.l)
    {{0x66FF},                 Kind::kCallOut, Size::Long, Ea::Dn,    Ea::Dn,     2, 0},           // bne.l (later models)
    {{0x4A48},                 Kind::kCallOut, Size::Long, Ea::Dn,    Ea::Dn,     2, 0},           // tst.w a0 (68020)
    {{0x0C3A, 0x0001, 0x0002}, Kind::kCallOut, Size::Long, Ea::Dn,    Ea::Dn,     6, 0},           // cmpi.b #1,2(pc) (68020)
    {{0xE1A0},                 Kind::kCallOut, Size::Long, Ea::Dn,    Ea::Dn,     2, 0},           // asl.l d0,d0
    {{0x48E7, 0x3F20},         Kind::kMovemToMemory, Size::Long, Ea::Dn, Ea::PreDec, 4, 0},    // movem.l d2-d7/a2,-(sp)
    {{0x4CBA, 0x0003, 0x0010}, Kind::kMovemToRegisters, Size::Word, Ea::PcDisp, Ea::Dn, 6, 0},  // movem.w 16(pc),d0-d1
    {{0xC3C1},                 Kind::kMuls,  Size::Word, Ea::Dn,      Ea::Dn,     2, kFlagsNZVC},  // muls d1,d1
    {{0xE39A},                 Kind::kShift, Size::Long, Ea::Imm,     Ea::Dn,     2, kFlagsNZVC},  // rol.l #1,d2
    // A divide overflow leaves N and Z: they are not written for certain.
    {{0x80C1},                 Kind::kDivu,  Size::Word, Ea::Dn,      Ea::Dn,     2, kFlagV | kFlagC},  // divu d1,d0
    {{0x85D8},                 Kind::kDivs,  Size::Word, Ea::PostInc, Ea::Dn,     2, kFlagV | kFlagC},  // divs (a0)+,d2
    {{0xB308},                 Kind::kCmp,   Size::Byte, Ea::PostInc, Ea::PostInc, 2, kFlagsNZVC}, // cmpm.b (a0)+,(a1)+
    {{0x4E56, 0xFFF8},         Kind::kLink,  Size::Long, Ea::Imm,     Ea::An,     4, 0},           // link a6,#-8
    {{0x4E5E},                 Kind::kUnlk,  Size::Long, Ea::Dn,      Ea::An,     2, 0},           // unlk a6
    {{0x0800, 0x0003},         Kind::kBtst,  Size::Long, Ea::Imm,     Ea::Dn,     4, kFlagZ},      // btst #3,d0
    {{0x03D0},                 Kind::kBset,  Size::Byte, Ea::Dn,      Ea::Ind,    2, kFlagZ},      // bset d1,(a0)
    {{0x033C, 0x0005},         Kind::kBtst,  Size::Byte, Ea::Dn,      Ea::Imm,    4, kFlagZ},      // btst d1,#5
    {{0x08A7, 0x0007},         Kind::kBclr,  Size::Byte, Ea::Imm,     Ea::PreDec, 4, kFlagZ},      // bclr #7,-(a7)
    {{0xE268},                 Kind::kShift, Size::Word, Ea::Dn,      Ea::Dn,     2, kFlagsAll},   // lsr.w d1,d0
    {{0xD380},                 Kind::kAddx,  Size::Long, Ea::Dn,      Ea::Dn,     2, kFlagsAll},   // addx.l d0,d1
    {{0x9388},                 Kind::kSubx,  Size::Long, Ea::PreDec,  Ea::PreDec, 2, kFlagsAll},   // subx.l -(a0),-(a1)
    {{0x405A},                 Kind::kNegx,  Size::Word, Ea::Dn,      Ea::PostInc, 2, kFlagsAll},  // negx.w (a2)+
    // ANDI and ORI to CCR write the flags they force; EORI none for certain.
    {{0x44C0},                 Kind::kMoveToCcr, Size::Word, Ea::Dn,  Ea::Dn,     2, kFlagsAll},   // move d0,ccr
    {{0x023C, 0x001B},         Kind::kAndiCcr, Size::Byte, Ea::Imm,   Ea::Dn,     4, kFlagZ},      // andi #$1b,ccr
    {{0x0A3C, 0x0015},         Kind::kEoriCcr, Size::Byte, Ea::Imm,   Ea::Dn,     4, 0},           // eori #$15,ccr
    {{0x0188, 0x0000},         Kind::kCallOut, Size::Long, Ea::Dn,    Ea::Dn,     4, 0},           // movep.w d0,0(a0)
};
// clang-format on

void PrintTo(const Expected& e, std::ostream* os) {
  *os << std::hex << "opcode " << e.words[0];
}

class DecoderForm : public testing::TestWithParam<Expected> {};

TEST_P(DecoderForm, IsDecodedWithItsOperands) {
  const Expected& e = GetParam();
  machine::clear_memory();
  for (size_t i = 0; i < e.words.size(); ++i)
    machine::poke16(kAt + 2 * static_cast<uint32_t>(i), e.words[i]);
  const Insn insn = decode(kAt);
  EXPECT_EQ(insn.kind, e.kind);
  EXPECT_EQ(insn.length, e.length);
  EXPECT_EQ(insn.next, kAt + e.length);
  if (e.kind == Kind::kCallOut) {
    EXPECT_EQ(insn.flags_read, kFlagsAll);
    return;
  }
  EXPECT_EQ(insn.size, e.size);
  EXPECT_EQ(insn.src.mode, e.src);
  EXPECT_EQ(insn.dst.mode, e.dst);
  EXPECT_EQ(insn.flags_written, e.flags_written);
}

INSTANTIATE_TEST_SUITE_P(Decoder, DecoderForm, testing::ValuesIn(kDecodes));

// Extension values land where the emitter reads them: displacements
// sign-extended, PC-relative addresses resolved, quick values as they act.
TEST(DecoderOperands, CarryTheirExtensionValues) {
  machine::clear_memory();
  machine::poke16(kAt, 0x206A);  // movea.l -2(a2),a0
  machine::poke16(kAt + 2, 0xFFFE);
  Insn insn = decode(kAt);
  EXPECT_EQ(insn.src.reg, 2);
  EXPECT_EQ(insn.src.value, 0xFFFFFFFEu);
  EXPECT_EQ(insn.dst.reg, 0);

  machine::poke16(kAt, 0x41FA);  // lea -4(pc),a0: the extension word's address - 4
  machine::poke16(kAt + 2, 0xFFFC);
  insn = decode(kAt);
  EXPECT_EQ(insn.src.value, kAt + 2 - 4);

  machine::poke16(kAt, 0x5180);  // subq.l #8,d0
  EXPECT_EQ(decode(kAt).src.value, 8u);
  machine::poke16(kAt, 0x70FF);  // moveq #-1,d0
  EXPECT_EQ(decode(kAt).src.value, 0xFFFFFFFFu);

  machine::poke16(kAt, 0x6608);  // bne.s +8
  insn = decode(kAt);
  EXPECT_EQ(insn.target, kAt + 2 + 8);
  EXPECT_EQ(insn.condition, 6);
  EXPECT_EQ(insn.flags_read, kFlagZ);
}

}  // namespace
}  // namespace translator
