// Data movement: MOVE with the A7 byte steps and operand order, MOVEA,
// MOVEQ, the SR/CCR/USP moves and their privilege check, MOVEM orders and
// register-in-list cases, MOVEP byte placement, LEA, PEA, EXG, LINK, UNLK.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"

using namespace m68k;
using namespace cputest;

namespace {

enum Reg : unsigned { D0, D1, D2, D3, D4, D5, D6, D7, A0, A1, A2, A3, A4, A5, A6, A7 };

struct RegValue {
  Reg reg;
  uint32_t value;
};

struct MemValue {
  uint32_t address;
  unsigned bytes;  // 1, 2 or 4
  uint32_t value;
};

void poke(const MemValue& m) {
  if (m.bytes == 1)
    machine::poke8(m.address, m.value);
  else if (m.bytes == 2)
    machine::poke16(m.address, m.value);
  else
    machine::poke32(m.address, m.value);
}

// load_code takes a brace list; table cases hold their words in a vector.
void load_words(const std::vector<uint16_t>& words) {
  uint32_t a = kCodeAddress;
  for (uint16_t w : words) {
    machine::poke16(a, w);
    a += 2;
  }
  cpu.pc = kCodeAddress;
}

uint32_t peek(const MemValue& m) {
  if (m.bytes == 1) return machine::peek8(m.address);
  if (m.bytes == 2) return machine::peek16(m.address);
  return machine::peek32(m.address);
}

// One instruction from a supervisor-mode state (A7 = 0x8000 unless set).
struct MoveCase {
  const char* name;
  std::vector<uint16_t> code;
  std::vector<RegValue> regs;
  std::vector<MemValue> memory;
  uint32_t sr;
  std::vector<RegValue> want_regs;
  std::vector<MemValue> want_memory;
  uint32_t want_sr;
  uint32_t words;  // instruction length, checked through PC
  int32_t extra;   // budget units charged beyond the instruction's own
};

constexpr uint32_t S = 0x2700;  // supervisor, mask 7, CCR clear

// Columns: name, code, registers, memory, SR before; registers, memory and SR
// after; instruction words; extra budget units.
// clang-format off
const MoveCase kMoveCases[] = {
    // MOVE: flags from the value after the write, X kept, only the size's bits written.
    {"ByteImmKeepsUpperBitsAndX", {0x103C, 0x0080}, {{D0, 0x12345678}}, {}, S | X | Z | V | C,
     {{D0, 0x12345680}}, {}, S | X | N, 2, 0},
    {"WordRegKeepsUpperBits", {0x3200}, {{D0, 0xAAAA0000}, {D1, 0x12345678}}, {}, S | N | V | C,
     {{D1, 0x12340000}}, {}, S | Z, 1, 0},
    {"LongToMemoryNegative", {0x2483}, {{D3, 0x80000001}, {A2, 0x2000}}, {}, S | X,
     {}, {{0x2000, 4, 0x80000001}}, S | X | N, 1, 0},
    {"PcDispBaseIsExtensionWord", {0x203A, 0xFFFE}, {}, {}, S | N,
     {{D0, 0x203AFFFE}}, {}, S, 2, 0},
    // The source's register step and extension words come before the destination's.
    {"PostIncSameRegister", {0x30D8}, {{A0, 0x2000}}, {{0x2000, 2, 0x1234}}, S,
     {{A0, 0x2004}}, {{0x2002, 2, 0x1234}}, S, 1, 0},
    {"PreDecSameRegisterTwice", {0x2321}, {{A1, 0x2010}}, {{0x200C, 4, 0xCAFEF00D}}, S,
     {{A1, 0x2008}}, {{0x2008, 4, 0xCAFEF00D}}, S | N, 1, 0},
    {"SourceExtensionFirst", {0x3368, 0x0004, 0x0006}, {{A0, 0x2000}, {A1, 0x2100}},
     {{0x2004, 2, 0x0000}, {0x2106, 2, 0xFFFF}}, S | N, {}, {{0x2106, 2, 0x0000}}, S | Z, 3, 0},
    {"AbsWToAbsL", {0x13F8, 0x2000, 0x0000, 0x2001}, {}, {{0x2000, 2, 0x7F00}}, S,
     {}, {{0x2000, 2, 0x7F7F}}, S, 4, 0},
    // Byte steps on A7 are 2 as source, destination or both; other registers step 1.
    {"ByteToPreDecA7", {0x1F00}, {{D0, 0x5A}}, {{0x7FFE, 2, 0xEEEE}}, S,
     {{A7, 0x7FFE}}, {{0x7FFE, 2, 0x5AEE}}, S, 1, 0},
    {"ByteToPreDecA6", {0x1D00}, {{D0, 0x5A}, {A6, 0x3000}}, {}, S,
     {{A6, 0x2FFF}}, {{0x2FFF, 1, 0x5A}}, S, 1, 0},
    {"ByteFromPostIncA7", {0x101F}, {{A7, 0x7F00}}, {{0x7F00, 1, 0x81}}, S,
     {{A7, 0x7F02}, {D0, 0x81}}, {}, S | N, 1, 0},
    {"BytePreDecA7ToPreDecA7", {0x1F27}, {{A7, 0x7F00}}, {{0x7EFE, 1, 0x42}}, S,
     {{A7, 0x7EFC}}, {{0x7EFC, 1, 0x42}}, S, 1, 0},
    {"BytePostIncA7ToPostIncA7", {0x1EDF}, {{A7, 0x7F00}}, {{0x7F00, 1, 0}, {0x7F02, 1, 0x99}}, S,
     {{A7, 0x7F04}}, {{0x7F02, 1, 0}}, S | Z, 1, 0},
    {"BytePostIncA5ToPreDecA7", {0x1F1D}, {{A5, 0x2000}}, {{0x2000, 1, 0x33}}, S,
     {{A5, 0x2001}, {A7, 0x7FFE}}, {{0x7FFE, 1, 0x33}}, S, 1, 0},
    {"BytePreDecA7ToPreDecA3", {0x1727}, {{A3, 0x3000}}, {{0x7FFE, 1, 0x80}}, S,
     {{A3, 0x2FFF}, {A7, 0x7FFE}}, {{0x2FFF, 1, 0x80}}, S | N, 1, 0},
    {"BytePostIncA7ToAbsW", {0x11DF, 0x2000}, {{A7, 0x7F00}}, {{0x7F00, 1, 0x01}}, S,
     {{A7, 0x7F02}}, {{0x2000, 1, 0x01}}, S, 2, 0},
    // MOVEA: whole register, word sign-extended, no flags. MOVEQ.
    {"MoveaWordSignExtends", {0x307C, 0x8000}, {}, {}, S | 0x1F,
     {{A0, 0xFFFF8000}}, {}, S | 0x1F, 2, 0},
    {"MoveaWordToA7", {0x3E41}, {{D1, 0x00017FFE}}, {}, S, {{A7, 0x00007FFE}}, {}, S, 1, 0},
    {"MoveqMinusOne", {0x70FF}, {}, {}, S | X | V | C, {{D0, 0xFFFFFFFF}}, {}, S | X | N, 1, 0},
    {"MoveqZero", {0x7E00}, {{D7, 5}}, {}, S | N, {{D7, 0}}, {}, S | Z, 1, 0},
    // SR and CCR.
    {"ToCcrIgnoresUpperByte", {0x44FC, 0xFF05}, {}, {}, S | X | N | V, {}, {}, S | Z | C, 2, 0},
    {"FromSrToMemory", {0x40D0}, {{A0, 0x2000}}, {}, S | X | Z | C,
     {}, {{0x2000, 2, S | X | Z | C}}, S | X | Z | C, 1, 0},
    {"FromSrToDnKeepsUpper", {0x40C1}, {{D1, 0xFFFFFFFF}}, {}, S | Z,
     {{D1, 0xFFFF2704}}, {}, S | Z, 1, 0},
    {"ToSrSameModeKeepsA7", {0x46FC, 0x251F}, {}, {}, S, {{A7, 0x8000}}, {}, 0x251F, 2, 0},
    // MOVEM: one extra unit each, whatever the mask.
    {"MovemLongPreDecStoresOldAn", {0x48E0, 0xC080},
     {{D0, 0x11111111}, {D1, 0x22222222}, {A0, 0x2010}}, {}, S, {{A0, 0x2004}},
     {{0x200C, 4, 0x2010}, {0x2008, 4, 0x22222222}, {0x2004, 4, 0x11111111}}, S, 2, 1},
    {"MovemWordPreDecReversedMask", {0x48A1, 0x8001}, {{D0, 0x1234ABCD}, {A1, 0x2010}}, {}, S,
     {{A1, 0x200C}}, {{0x200C, 2, 0xABCD}, {0x200E, 2, 0x8000}}, S, 2, 1},
    {"MovemLongPreDecA7InList", {0x48E7, 0x0001}, {}, {}, S,
     {{A7, 0x7FFC}}, {{0x7FFC, 4, 0x8000}}, S, 2, 1},
    {"MovemLongControlAscending", {0x48D1, 0x8001}, {{D0, 0x01020304}, {A1, 0x2000}}, {}, S,
     {}, {{0x2000, 4, 0x01020304}, {0x2004, 4, 0x8000}}, S, 2, 1},
    {"MovemWordPostIncA7SignExtends", {0x4C9F, 0x0001}, {{A7, 0x7F00}}, {{0x7F00, 2, 0x8000}}, S,
     {{D0, 0xFFFF8000}, {A7, 0x7F02}}, {}, S, 2, 1},
    {"MovemLongPostIncOwnRegister", {0x4CD8, 0x0100}, {{A0, 0x2000}}, {{0x2000, 4, 0xDEADBEEF}},
     S, {{A0, 0x2004}}, {}, S, 2, 1},
    {"MovemWordMaskBeforeDisplacement", {0x4CA8, 0x0402, 0x0002}, {{A0, 0x2000}, {D1, ~0u}},
     {{0x2002, 2, 0x7FFF}, {0x2004, 2, 0xFFFE}}, S, {{D1, 0x7FFF}, {A2, 0xFFFFFFFE}}, {}, S, 3, 1},
    {"MovemLongPcDisp", {0x4CFA, 0x0003, 0x0002, 0x1234, 0x5678, 0x9ABC, 0xDEF0}, {}, {}, S,
     {{D0, 0x12345678}, {D1, 0x9ABCDEF0}}, {}, S, 3, 1},
    {"MovemEmptyMaskPreDec", {0x48E0, 0x0000}, {{A0, 0x2010}}, {{0x200C, 4, 0x55555555}}, S,
     {}, {{0x200C, 4, 0x55555555}}, S, 2, 1},
    {"MovemEmptyMaskPostInc", {0x4CD8, 0x0000}, {{A0, 0x2010}}, {}, S, {}, {}, S, 2, 1},
    // MOVEP: every other byte, most significant first; odd bytes untouched.
    {"MovepLongToMemory", {0x01C8, 0x0000}, {{D0, 0x11223344}, {A0, 0x2000}},
     {{0x2000, 4, 0xEEEEEEEE}, {0x2004, 4, 0xEEEEEEEE}}, S,
     {}, {{0x2000, 4, 0x11EE22EE}, {0x2004, 4, 0x33EE44EE}}, S, 2, 0},
    {"MovepWordToMemoryNegativeDisp", {0x0389, 0xFFFE}, {{D1, 0xFFFFABCD}, {A1, 0x2002}},
     {{0x2000, 4, 0}}, S, {}, {{0x2000, 4, 0xAB00CD00}}, S, 2, 0},
    {"MovepWordFromMemoryKeepsUpper", {0x0508, 0x0001}, {{A0, 0x2000}, {D2, 0xFFFFFFFF}},
     {{0x2000, 4, 0x00120034}}, S | N, {{D2, 0xFFFF1234}}, {}, S | N, 2, 0},
    {"MovepLongFromMemory", {0x0748, 0x0000}, {{A0, 0x2000}},
     {{0x2000, 4, 0x11AA22BB}, {0x2004, 4, 0x33CC44DD}}, S, {{D3, 0x11223344}}, {}, S, 2, 0},
    // LEA, PEA, EXG.
    {"LeaIndexUnmasked", {0x43F0, 0x10FF}, {{A0, 0xFF001000}, {D1, 0x0001FFFF}}, {}, S,
     {{A1, 0xFF000FFE}}, {}, S, 2, 0},
    {"LeaPcDisp", {0x4DFA, 0x0010}, {}, {}, S, {{A6, 0x1012}}, {}, S, 2, 0},
    {"PeaA7PushesOldA7", {0x4857}, {}, {}, S, {{A7, 0x7FFC}}, {{0x7FFC, 4, 0x8000}}, S, 1, 0},
    {"PeaAbsW", {0x4878, 0x8000}, {}, {}, S,
     {{A7, 0x7FFC}}, {{0x7FFC, 4, 0xFFFF8000}}, S, 2, 0},
    {"ExgDataData", {0xC141}, {{D0, 1}, {D1, 2}}, {}, S | N, {{D0, 2}, {D1, 1}}, {}, S | N, 1, 0},
    {"ExgAddrAddr", {0xC14F}, {{A0, 0x1111}}, {}, S, {{A0, 0x8000}, {A7, 0x1111}}, {}, S, 1, 0},
    {"ExgDataAddr", {0xC58B}, {{D2, 0x22}, {A3, 0x33}}, {}, S,
     {{D2, 0x33}, {A3, 0x22}}, {}, S, 1, 0},
    // LINK, UNLK and their A7 rows.
    {"LinkA6", {0x4E56, 0xFFF8}, {{A6, 0x12345678}}, {}, S,
     {{A6, 0x7FFC}, {A7, 0x7FF4}}, {{0x7FFC, 4, 0x12345678}}, S, 2, 0},
    {"LinkA7PushesDecrementedA7", {0x4E57, 0xFFF8}, {}, {}, S,
     {{A7, 0x7FF4}}, {{0x7FFC, 4, 0x7FFC}}, S, 2, 0},
    {"UnlkA6", {0x4E5E}, {{A6, 0x7FFC}, {A7, 0x7000}}, {{0x7FFC, 4, 0x11112222}}, S,
     {{A6, 0x11112222}, {A7, 0x8000}}, {}, S, 1, 0},
    {"UnlkA7NoFourAdded", {0x4E5F}, {{A7, 0x7F00}}, {{0x7F00, 4, 0x7E00}}, S,
     {{A7, 0x7E00}}, {}, S, 1, 0},
};
// clang-format on

void PrintTo(const MoveCase& c, std::ostream* os) {
  *os << c.name;
}

class MoveCaseTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveCaseTest, Runs) {
  const MoveCase& c = GetParam();
  reset_machine();
  set_register(kSR, c.sr);
  for (const MemValue& m : c.memory) poke(m);
  for (const RegValue& r : c.regs) cpu.dar[r.reg] = r.value;
  uint32_t before[16];
  std::memcpy(before, cpu.dar, sizeof before);
  load_words(c.code);

  EXPECT_EQ(step(), c.extra);
  EXPECT_EQ(cpu.pc, kCodeAddress + 2 * c.words);
  EXPECT_EQ(sr_build(), c.want_sr) << std::hex;
  // Registers not named in the result keep their values.
  uint32_t want[16];
  std::memcpy(want, before, sizeof want);
  for (const RegValue& r : c.want_regs) want[r.reg] = r.value;
  for (unsigned i = 0; i < 16; ++i)
    EXPECT_EQ(cpu.dar[i], want[i]) << (i < 8 ? "D" : "A") << (i & 7) << std::hex;
  for (const MemValue& m : c.want_memory)
    EXPECT_EQ(peek(m), m.value) << "at " << std::hex << m.address;
}

INSTANTIATE_TEST_SUITE_P(Move, MoveCaseTest, ::testing::ValuesIn(kMoveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Move, LinkThenUnlkRestoresFrame) {
  reset_machine();
  areg(6) = 0xABCD0123;
  load_code({0x4E56, 0xFFF8, 0x4E5E});
  step();
  EXPECT_EQ(areg(7), 0x7FF4u);
  step();
  EXPECT_EQ(areg(6), 0xABCD0123u);
  EXPECT_EQ(areg(7), 0x8000u);
}

// --- Privilege -----------------------------------------------------------------

constexpr uint32_t kPrivilegeHandler = 0x5000;

struct PrivilegeCase {
  const char* name;
  std::vector<uint16_t> code;
};

const PrivilegeCase kPrivilegeCases[] = {
    {"MoveToSrPostInc", {0x46D8}},      {"MoveToSrImmediate", {0x46FC, 0x2700}},
    {"MoveToSrDisp", {0x46E8, 0x0010}}, {"MoveToUsp", {0x4E60}},
    {"MoveFromUsp", {0x4E69}},
};

void PrintTo(const PrivilegeCase& c, std::ostream* os) {
  *os << c.name;
}

class PrivilegeTest : public ::testing::TestWithParam<PrivilegeCase> {};

// In user mode nothing of the instruction happens: no source read or step,
// no extension word, and the frame holds the instruction's own address.
TEST_P(PrivilegeTest, UserModeTrapsBeforeTheOperand) {
  const PrivilegeCase& c = GetParam();
  reset_machine();
  machine::poke32(4 * 8, kPrivilegeHandler);
  sr_write(0x0015);  // user mode: A7 becomes the user stack
  ASSERT_EQ(areg(7), kUserStack);
  areg(0) = 0x2000;
  areg(1) = 0x1111;
  load_words(c.code);

  EXPECT_EQ(step(), 1);
  EXPECT_EQ(cpu.pc, kPrivilegeHandler);
  EXPECT_EQ(areg(7), kSupervisorStack - 6);
  EXPECT_EQ(machine::peek16(kSupervisorStack - 6), 0x0015u);
  EXPECT_EQ(machine::peek32(kSupervisorStack - 4), kCodeAddress);
  EXPECT_EQ(cpu.sp_slot[0], kUserStack);
  EXPECT_EQ(areg(0), 0x2000u);
  EXPECT_EQ(areg(1), 0x1111u);
  EXPECT_EQ(sr_build(), 0x2015u);
}

INSTANTIATE_TEST_SUITE_P(Move, PrivilegeTest, ::testing::ValuesIn(kPrivilegeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Move, UspMovesInSupervisorMode) {
  reset_machine();
  areg(3) = 0x6000;
  load_code({0x4E63, 0x4E6C});  // MOVE A3,USP; MOVE USP,A4
  step();
  EXPECT_EQ(get_register(nullptr, kUSP), 0x6000u);
  EXPECT_EQ(areg(7), kSupervisorStack);
  step();
  EXPECT_EQ(areg(4), 0x6000u);
}

TEST(Move, ToSrClearingSupervisorSwitchesStacks) {
  reset_machine();
  load_code({0x46FC, 0x0004});
  step();
  EXPECT_EQ(sr_build(), 0x0004u);
  EXPECT_EQ(areg(7), kUserStack);
  EXPECT_EQ(get_register(nullptr, kISP), kSupervisorStack);
}

// Not privileged on any model: a user-mode read of SR is just a read.
TEST(Move, FromSrInUserModeOnEveryModel) {
  for (unsigned type : {kM68000, kM68010, kM68EC020, kM68020}) {
    reset_machine(type);
    sr_write(0x0009);
    dreg(0) = 0xFFFFFFFF;
    load_code({0x40C0});
    EXPECT_EQ(step(), 0) << type;
    EXPECT_EQ(dreg(0), 0xFFFF0009u) << type;
    EXPECT_EQ(cpu.pc, kCodeAddress + 2) << type;
  }
}

// --- Decode rows -----------------------------------------------------------------

// Each family has one handler per size and mode class (A7 byte forms
// included) and covers exactly the opcodes the 68000 defines for it.
struct FamilyCount {
  const char* family;
  size_t handlers;
  size_t opcodes;
};

const FamilyCount kFamilyCounts[] = {
    {"MOVE.b", 130, 2650}, {"MOVE.w", 96, 3050},  {"MOVE.l", 96, 3050},  {"MOVEA.w", 12, 488},
    {"MOVEA.l", 12, 488},  {"MOVE.q", 1, 2048},   {"MOVEM.w", 14, 70},   {"MOVEM.l", 14, 70},
    {"MOVEP.w", 2, 128},   {"MOVEP.l", 2, 128},   {"MOVEfromSR", 8, 50}, {"MOVEtoCCR", 11, 53},
    {"MOVEtoSR", 11, 53},  {"MOVEfromUSP", 1, 8}, {"MOVEtoUSP", 1, 8},   {"LEA", 7, 224},
    {"PEA", 7, 28},        {"EXG", 3, 192},       {"LINK", 2, 8},        {"UNLINK", 2, 8},
};

void PrintTo(const FamilyCount& f, std::ostream* os) {
  *os << f.family;
}

class FamilyRowsTest : public ::testing::TestWithParam<FamilyCount> {};

TEST_P(FamilyRowsTest, HandlersAndOpcodes) {
  init();
  const FamilyCount& f = GetParam();
  std::set<Handler> handlers;
  size_t opcodes = 0;
  for (uint32_t op = 0; op < 0x10000; ++op) {
    const char* name = opcode_family(static_cast<uint16_t>(op));
    if (name && std::strcmp(name, f.family) == 0) {
      handlers.insert(instruction_jump_table[op]);
      ++opcodes;
    }
  }
  EXPECT_EQ(handlers.size(), f.handlers);
  EXPECT_EQ(opcodes, f.opcodes);
}

INSTANTIATE_TEST_SUITE_P(Move, FamilyRowsTest, ::testing::ValuesIn(kFamilyCounts),
                         [](const auto& info) {
                           std::string s = info.param.family;
                           for (char& ch : s)
                             if (ch == '.') ch = '_';
                           return s;
                         });

}  // namespace
