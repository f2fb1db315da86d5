// Child programs: what the loader accepts and how it relocates, the basepage,
// environment and command line it builds, and a Pexec/Pterm round trip
// through the dispatcher that must hand the parent back as it left it.
// Program files are written into a fresh temporary directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu_test_support.h"
#include "machine/basepage.h"
#include "machine/emu_memory.h"
#include "machine/os_rom.h"
#include "machine/trace.h"
#include "oscall_test_support.h"
#include "oscalls/dir_search.h"
#include "oscalls/file_calls.h"
#include "oscalls/gemdos.h"
#include "oscalls/host_files.h"
#include "oscalls/malloc_calls.h"
#include "oscalls/os_call_table.h"
#include "oscalls/process.h"
#include "oscalls/program_loader.h"

namespace {

using machine::kBasepageSize;
using machine::peek16;
using machine::peek32;
using machine::peek8;
using machine::poke32;
using namespace oscalls;
using namespace oscalltest;

constexpr uint32_t kName = 0x7000;
constexpr uint32_t kTail = 0x7100;
constexpr uint32_t kEnv = 0x7200;
constexpr uint32_t kStart = 0x30000;
constexpr uint32_t kParentBasepage = 0x124F8;
constexpr uint32_t kTop = 0xFE0000;
constexpr uint32_t kFixedUp = 0x1000;  // every text long before relocation

struct Program {
  uint32_t text = 0x400, data = 0x10, bss = 0x40, symbols = 0;
  bool absolute = false;
  std::vector<uint8_t> relocation = {0, 0, 0, 0};
  uint16_t magic = 0x601A;
  uint32_t cut = 0;  // bytes dropped from the end of the file
};

void put32(std::string& s, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<char>(v >> shift));
}

// The text holds kFixedUp in every long; the data and symbols other bytes,
// so a fix-up in the wrong place or a symbol read as relocation shows.
std::string program_file(const Program& p) {
  std::string s;
  s.push_back(static_cast<char>(p.magic >> 8));
  s.push_back(static_cast<char>(p.magic));
  put32(s, p.text);
  put32(s, p.data);
  put32(s, p.bss);
  put32(s, p.symbols);
  put32(s, 0);
  put32(s, 0);
  s.push_back(0);
  s.push_back(p.absolute ? 1 : 0);
  for (uint32_t i = 0; i < p.text; i += 4) put32(s, kFixedUp);
  s.append(p.data, '\x5A');
  s.append(p.symbols, '\x02');
  s.append(p.relocation.begin(), p.relocation.end());
  s.resize(s.size() - p.cut);
  return s;
}

std::vector<uint8_t> reloc(uint32_t first, std::vector<uint8_t> distances) {
  std::vector<uint8_t> r = {static_cast<uint8_t>(first >> 24), static_cast<uint8_t>(first >> 16),
                            static_cast<uint8_t>(first >> 8), static_cast<uint8_t>(first)};
  r.insert(r.end(), distances.begin(), distances.end());
  return r;
}

class ChildPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    cputest::reset_machine();
    reset_host_files();
    reset_processes();
    char tmpl[] = "/tmp/vellum-pexec-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    machine::write_guest_string(kName, "CHILD.TOS");
    poke32(machine::kMemoryTopVariable, kTop);
  }
  void TearDown() override {
    for (HostFileSlot& slot : host_files)
      if (slot.in_use) std::fclose(slot.stream);
    reset_host_files();
    reset_processes();
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }

  static void write(const std::string& content, const char* name = "CHILD.TOS") {
    std::ofstream(name, std::ios::binary) << content;
  }

  static NewProcess request(uint32_t limit = kTop) {
    return NewProcess{kStart, limit, kParentBasepage, 0, 0};
  }

  std::filesystem::path dir_, home_;
};

// --- Loading ---------------------------------------------------------------

struct RelocationCase {
  const char* label;
  Program program;
  int32_t result;
  std::vector<uint32_t> fixups;  // offsets from the text start
};

void PrintTo(const RelocationCase& c, std::ostream* os) {
  *os << c.label;
}

class Relocation : public ChildPrograms, public ::testing::WithParamInterface<RelocationCase> {};

// The loaded text and data must be the file's, with the text start added
// to the long at each listed offset and nowhere else.
TEST_P(Relocation, FixesUpExactlyTheListedLongs) {
  const RelocationCase& c = GetParam();
  write(program_file(c.program));
  LoadedProcess out;
  ASSERT_EQ(load_program_file(kName, request(), out), c.result);
  if (c.result != 0) return;
  const uint32_t text = out.basepage + kBasepageSize;
  const uint32_t image = c.program.text + c.program.data;
  std::string expected = program_file(c.program).substr(0x1C, image);
  for (uint32_t off : c.fixups) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(expected[off + i]);
    v += text;
    for (int i = 0; i < 4; ++i) expected[off + i] = static_cast<char>(v >> (24 - 8 * i));
  }
  std::string loaded(image, 0);
  machine::copy_from_guest(loaded.data(), text, image);
  EXPECT_TRUE(loaded == expected);
}

Program with_reloc(std::vector<uint8_t> r) {
  Program p;
  p.relocation = std::move(r);
  return p;
}
Program absolute_program() {
  Program p = with_reloc(reloc(8, {0}));
  p.absolute = true;
  return p;
}
Program after_symbols() {
  Program p = with_reloc(reloc(0x20, {8, 0}));
  p.symbols = 14;
  return p;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, Relocation,
    ::testing::Values(
        RelocationCase{"FirstOffsetOnly", with_reloc(reloc(8, {0})), 0, {8}},
        // 1 moves on 254 bytes without a fix-up: 4, then 4 + 254 + 254 + 4.
        RelocationCase{"SkipBytes", with_reloc(reloc(4, {1, 1, 4, 0})), 0, {4, 516}},
        RelocationCase{"ZeroFirstLong", with_reloc(reloc(0, {})), 0, {}},
        RelocationCase{"NoTableAtAll", with_reloc({}), 0, {}},
        RelocationCase{"AbsoluteFlag", absolute_program(), 0, {}},
        RelocationCase{"TableAfterTheSymbols", after_symbols(), 0, {0x20, 0x28}},
        RelocationCase{"LastLongOfTheData", with_reloc(reloc(0x40C, {0})), 0, {0x40C}},
        RelocationCase{"PastTheData", with_reloc(reloc(0x40D, {0})), kNotProgramFile, {}},
        RelocationCase{
            "DistancePastTheData", with_reloc(reloc(0x3F0, {1, 2, 0})), kNotProgramFile, {}},
        RelocationCase{"TableWithoutItsEnd", with_reloc(reloc(8, {4, 4})), kNotProgramFile, {}},
        RelocationCase{"FirstLongCut", with_reloc({0, 0}), kNotProgramFile, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ChildPrograms, RefusesFilesThatAreNoProgram) {
  Program bad_magic;
  bad_magic.magic = 0x601B;
  Program cut;
  cut.cut = 0x20;  // into the data, which the header promises
  std::string huge = program_file(Program{});
  huge.replace(2, 4, "\xFF\xFF\xFF\xF0");
  const struct {
    const char* label;
    std::string file;
    int32_t result;
  } rows[] = {{"bad magic", program_file(bad_magic), kNotProgramFile},
              {"cut short", program_file(cut), kNotProgramFile},
              {"text longer than the file", huge, kNotProgramFile},
              {"shorter than a header", std::string("\x60\x1A\0\0", 4), kNotProgramFile}};
  for (const auto& r : rows) {
    write(r.file);
    LoadedProcess out;
    EXPECT_EQ(load_program_file(kName, request(), out), r.result) << r.label;
  }
  std::filesystem::create_directory("FOLDER.TOS");
  LoadedProcess out;
  machine::write_guest_string(kName, "C:\\FOLDER.TOS");
  EXPECT_EQ(load_program_file(kName, request(), out), kFileNotFound);
  machine::write_guest_string(kName, "MISSING.TOS");
  EXPECT_EQ(load_program_file(kName, request(), out), kFileNotFound);
}

// Environment copy (2 bytes when empty), basepage, text, data, BSS and the
// minimum stack: one byte less than that is not enough, and then nothing
// in guest memory changes.
TEST_F(ChildPrograms, FitsExactlyOrWritesNothing) {
  Program p;
  write(program_file(p));
  const uint32_t basepage = kStart + 4;
  const uint32_t needed = basepage + kBasepageSize + p.text + p.data + p.bss + kMinimumChildStack;
  for (uint32_t a = kStart; a < needed; a += 4) poke32(a, 0xA5A5A5A5);
  LoadedProcess out;
  EXPECT_EQ(load_program_file(kName, request(needed - 1), out), kNotEnoughMemory);
  bool untouched = true;
  for (uint32_t a = kStart; a < needed; a += 4) untouched &= peek32(a) == 0xA5A5A5A5;
  EXPECT_TRUE(untouched);
  ASSERT_EQ(load_program_file(kName, request(needed), out), 0);
  EXPECT_EQ(out.basepage, basepage);
  EXPECT_EQ(out.image_end, basepage + kBasepageSize + p.text + p.data + p.bss);
}

TEST_F(ChildPrograms, BuildsTheBasepageAndClearsTheBss) {
  Program p;
  p.bss = 0x102;  // not a multiple of 4: every byte still cleared
  write(program_file(p));
  for (uint32_t a = kStart; a < kStart + 0x1000; a += 4) poke32(a, 0xFFFFFFFF);
  machine::write_guest_string(kTail,
                              "\x03"
                              "abc");
  NewProcess r = request(0x80000);
  r.tail = kTail;
  LoadedProcess out;
  ASSERT_EQ(load_program_file(kName, r, out), 0);
  const uint32_t bp = out.basepage;
  const uint32_t text = bp + 0x100;
  const struct {
    uint32_t offset, value;
  } fields[] = {{0x00, bp},
                {0x04, 0x80000},
                {0x08, text},
                {0x0C, p.text},
                {0x10, text + p.text},
                {0x14, p.data},
                {0x18, text + p.text + p.data},
                {0x1C, p.bss},
                {0x20, bp + 0x80},
                {0x24, kParentBasepage},
                {0x28, 0},
                {0x2C, kStart}};
  for (const auto& f : fields) EXPECT_EQ(peek32(bp + f.offset), f.value) << "offset " << f.offset;
  EXPECT_EQ(peek16(kStart), 0u);  // the empty environment
  EXPECT_EQ(peek32(bp + 0x80), 0x03616263u);
  uint32_t nonzero = 0;
  for (uint32_t i = 0; i < p.bss; ++i) nonzero += peek8(text + p.text + p.data + i) != 0;
  EXPECT_EQ(nonzero, 0u);
  EXPECT_EQ(peek8(text + p.text + p.data + p.bss), 0xFFu);  // nothing cleared beyond
}

TEST_F(ChildPrograms, CopiesTheCommandLineTerminated) {
  const std::string long_line = std::string(1, '\xFF') + std::string(200, 'x');
  const struct {
    const char* label;
    std::string tail;  // 0-length: no tail pointer
    std::string expected;
  } rows[] = {
      {"counted and NUL", std::string("\x05hello\0zzz", 10), std::string("\x05hello\0\0\0\0", 10)},
      {"CR kept before the NUL",
       std::string("\x03"
                   "abc\r\0",
                   6),
       std::string("\x03"
                   "abc\r\0",
                   6)},
      {"no NUL: the 128th byte", long_line, std::string(1, '\xFF') + std::string(126, 'x') + '\0'},
      {"no tail at all", "", std::string(4, '\0')},
  };
  for (const auto& r : rows) {
    machine::clear_memory();
    poke32(machine::kMemoryTopVariable, kTop);
    machine::copy_to_guest(kTail, r.tail.data(), r.tail.size());
    NewProcess req = request();
    req.tail = r.tail.empty() ? 0 : kTail;
    LoadedProcess out;
    ASSERT_EQ(create_basepage(req, out), 0);
    std::string got(r.expected.size(), 0);
    machine::copy_from_guest(got.data(), out.basepage + 0x80, got.size());
    EXPECT_EQ(got, r.expected) << r.label;
    EXPECT_EQ(peek8(out.basepage + 0xFF), 0u) << r.label;
  }
}

TEST_F(ChildPrograms, CopiesTheEnvironmentDoublyTerminated) {
  const std::string unterminated(kMaxEnvironment + 100, 'x');
  const struct {
    const char* label;
    std::string env;  // 0-length: no environment
    std::string expected;
  } rows[] = {
      {"none", "", std::string(2, '\0')},
      {"empty", std::string(1, '\0'), std::string(2, '\0')},
      {"two strings", std::string("A=1\0PATH=C:\\\0\0", 14), std::string("A=1\0PATH=C:\\\0\0", 14)},
      {"no end within the limit", unterminated,
       std::string(kMaxEnvironment - 2, 'x') + std::string(2, '\0')},
  };
  for (const auto& r : rows) {
    machine::clear_memory();
    poke32(machine::kMemoryTopVariable, kTop);
    machine::copy_to_guest(kEnv, r.env.data(), r.env.size());
    NewProcess req = request();
    req.environment = r.env.empty() ? 0 : kEnv;
    LoadedProcess out;
    ASSERT_EQ(create_basepage(req, out), 0);
    EXPECT_EQ(peek32(out.basepage + 0x2C), kStart) << r.label;
    std::string got(r.expected.size(), 0);
    machine::copy_from_guest(got.data(), kStart, got.size());
    EXPECT_EQ(got, r.expected) << r.label;
    EXPECT_GE(out.basepage, kStart + r.expected.size()) << r.label;
  }
}

// --- Pexec and Pterm through the dispatcher ---------------------------------

// The machine as the parent's TRAP #1 leaves it inside the GEMDOS handler:
// supervisor mode, A7 at the 6-byte frame, PC at the stub's RTE.
class PexecCalls : public ChildPrograms {
 protected:
  static constexpr uint32_t kFrame = 0x120C4;
  static constexpr uint32_t kParentUsp = 0x9000;
  static constexpr uint32_t kStubRte = 0xFE024C;
  static constexpr uint32_t kParentSr = 0x2715;

  void SetUp() override {
    ChildPrograms::SetUp();
    poke32(machine::kOsRomBase + 0x0C, kParentBasepage + 0xE4);
    poke32(kParentBasepage + 0x18, 0x20000);  // the parent's BSS ends below kStart
    poke32(kParentBasepage + 0x1C, 0x100);
    poke32(kParentBasepage + 0x2C, kParentBasepage - 0x10);
    malloc_state.next = kStart;
    set_dta(kParentBasepage + 0x80);
    for (unsigned r = 0; r < 15; ++r) m68k::set_register(r, 0x01010101 * (r + 1));
    m68k::set_register(m68k::kA7, kFrame);
    m68k::set_register(m68k::kUSP, kParentUsp);
    m68k::set_register(m68k::kSR, kParentSr);
    m68k::set_register(m68k::kPC, kStubRte);
    write(program_file(Program{}));
  }

  static uint32_t reg(unsigned id) { return m68k::get_register(nullptr, id); }

  static void gemdos(const Block& block) {
    const std::string printed = call_with(gemdos_dispatch, block, 0x6000);
    EXPECT_EQ(printed, "");
  }
  static void pexec0() { gemdos({W(0x4B), W(0), L(kName), L(0), L(0)}); }
};

TEST_F(PexecCalls, StartsTheChildAndPtermHandsBackTheParent) {
  machine::write_guest_string(kName + 0x100, "PARENT.TXT");
  gemdos({W(0x3C), L(kName + 0x100), W(0)});  // the parent's own file
  pexec0();
  ASSERT_EQ(child_depth(), 1u);
  const uint32_t bp = kStart + 4;  // above the environment copy
  // The frame the stub's RTE takes: user mode, mask 7, the child's text.
  EXPECT_EQ(reg(m68k::kISP), kFrame - 6);
  EXPECT_EQ(peek16(kFrame - 6), 0x0700u);
  EXPECT_EQ(peek32(kFrame - 4), bp + 0x100);
  EXPECT_EQ(reg(m68k::kPC), kStubRte);
  EXPECT_EQ(reg(m68k::kUSP), kTop - 8);
  EXPECT_EQ(peek32(kTop - 4), bp);
  EXPECT_EQ(reg(m68k::kA0 + 1), bp);
  EXPECT_EQ(reg(m68k::kD0), 0u);
  EXPECT_EQ(dta(), bp + 0x80);

  // The child: other registers, a file it leaves open, a Pterm(-2).
  for (unsigned r = 0; r < 15; ++r) m68k::set_register(r, 0xC0DE0000 + r);
  m68k::set_register(m68k::kUSP, 0x500000);
  machine::write_guest_string(kName + 0x200, "LEFT.TXT");
  gemdos({W(0x3C), L(kName + 0x200), W(0)});
  ASSERT_EQ(reg(m68k::kD0), 17u);
  machine::write_guest_string(0x5000, "abc");
  gemdos({W(0x40), W(17), L(3), L(0x5000)});
  gemdos({W(0x4C), W(0xFFFE)});

  EXPECT_EQ(child_depth(), 0u);
  EXPECT_EQ(reg(m68k::kD0), 0xFFFFFFFEu);
  for (unsigned r = 1; r < 15; ++r) EXPECT_EQ(reg(r), 0x01010101 * (r + 1)) << "register " << r;
  EXPECT_EQ(reg(m68k::kA7), kFrame);
  EXPECT_EQ(reg(m68k::kUSP), kParentUsp);
  EXPECT_EQ(reg(m68k::kSR), kParentSr);
  EXPECT_EQ(reg(m68k::kPC), kStubRte);
  EXPECT_EQ(malloc_state.next, kStart);
  EXPECT_EQ(dta(), kParentBasepage + 0x80);
  EXPECT_TRUE(host_files[0].in_use);   // the parent's file stays open
  EXPECT_FALSE(host_files[1].in_use);  // the child's is closed, its data on disk
  EXPECT_EQ(std::filesystem::file_size("LEFT.TXT"), 3u);
}

// The trace shows the Pexec with what the parent gets, once the child has
// ended: after the child's start and end lines and its Pterm.
TEST_F(PexecCalls, TraceShowsTheParentsAnswerWhenTheChildEnds) {
  machine::trace_enabled = true;
  testing::internal::CaptureStderr();
  pexec0();
  gemdos({W(0x4C), W(0xFFFE)});
  const std::string lines = testing::internal::GetCapturedStderr();
  machine::trace_enabled = false;
  const std::string pexec =
      "GEMDOS 0x004b Pexec(mode=0, name=0x007000 \"CHILD.TOS\", tail=0x000000, env=0x000000)";
  EXPECT_EQ(lines,
            "PEXEC child 1 starts: basepage 0x030004, text 0x030104, memory to 0xfe0000\n"
            "PEXEC child 1 ends: code -2\n"
            "GEMDOS 0x004c Pterm(code=-2) = -2\n" +
                pexec + " = -2\n");
}

// A fault inside the child ends the run there: its parent's Pexec never
// got an answer, and the trace says so at the end.
TEST_F(PexecCalls, TraceMarksAPexecTheRunEndedIn) {
  machine::trace_enabled = true;
  testing::internal::CaptureStderr();
  pexec0();
  end_held_trace_lines();
  end_held_trace_lines();  // once only
  const std::string lines = testing::internal::GetCapturedStderr();
  machine::trace_enabled = false;
  EXPECT_NE(lines.find("GEMDOS 0x004b Pexec(mode=0, name=0x007000 \"CHILD.TOS\", tail=0x000000, "
                       "env=0x000000) = no answer: the run ended in the child\n"),
            std::string::npos)
      << lines;
  EXPECT_EQ(lines.find("Pexec", lines.find("no answer") + 1), std::string::npos) << lines;
}

TEST_F(PexecCalls, ChildMemoryStaysAboveItsBasepage) {
  pexec0();
  const uint32_t bp = kStart + 4;
  const uint32_t image_end = bp + 0x100 + 0x400 + 0x10 + 0x40;
  gemdos({W(0x48), L(0xFFFFFFFF)});
  EXPECT_EQ(reg(m68k::kD0), kTop - image_end);
  gemdos({W(0x4A), W(0), L(kParentBasepage), L(0x100)});
  EXPECT_EQ(reg(m68k::kD0), static_cast<uint32_t>(kInvalidMemoryBlock));
  EXPECT_EQ(malloc_state.next, image_end);
  // Shrinking its own program block below where its Malloc starts.
  gemdos({W(0x4A), W(0), L(bp), L(0x100)});
  EXPECT_EQ(reg(m68k::kD0), 0u);
  EXPECT_EQ(malloc_state.next, image_end);
  gemdos({W(0x4C), W(0)});
  EXPECT_EQ(malloc_state.next, kStart);
  // The first program may shrink any block.
  gemdos({W(0x4A), W(0), L(0x10000), L(0x10)});
  EXPECT_EQ(malloc_state.next, 0x10010u);
}

// The limit sits below a parent stack that lies above the new memory.
TEST_F(PexecCalls, ChildMemoryEndsBelowTheParentsStack) {
  m68k::set_register(m68k::kUSP, 0x700002);
  pexec0();
  EXPECT_EQ(peek32(kStart + 4 + 0x04), 0x700000u);
  EXPECT_EQ(reg(m68k::kUSP), 0x700000u - 8);
}

TEST_F(PexecCalls, NestsUpToTheLimit) {
  for (unsigned level = 1; level <= kMaxChildDepth; ++level) {
    pexec0();
    ASSERT_EQ(child_depth(), level);
  }
  const uint32_t next = malloc_state.next;
  m68k::set_register(m68k::kD0, 0x12345678);
  pexec0();
  EXPECT_EQ(reg(m68k::kD0), static_cast<uint32_t>(kNotEnoughMemory));
  EXPECT_EQ(child_depth(), kMaxChildDepth);
  EXPECT_EQ(malloc_state.next, next);
  for (unsigned level = kMaxChildDepth; level > 0; --level) gemdos({W(0x00)});
  EXPECT_EQ(child_depth(), 0u);
  EXPECT_EQ(malloc_state.next, kStart);
}

TEST_F(PexecCalls, UnknownModesAndBadBasepages) {
  const struct {
    uint16_t mode;
    uint32_t third;
    int32_t result;
  } rows[] = {{1, 0, kInvalidFunction},         {2, 0, kInvalidFunction},
              {7, 0, kInvalidFunction},         {0xFFFF, 0, kInvalidFunction},
              {4, 0, kInvalidMemoryBlock},      {6, kStart + 1, kInvalidMemoryBlock},
              {4, 0x1000, kInvalidMemoryBlock}, {4, kStart, kInvalidMemoryBlock}};
  for (const auto& r : rows) {
    gemdos({W(0x4B), W(r.mode), L(kName), L(r.third), L(0)});
    EXPECT_EQ(reg(m68k::kD0), static_cast<uint32_t>(r.result)) << "mode " << r.mode;
    EXPECT_EQ(child_depth(), 0u);
  }
}

}  // namespace
