// Ends of a run from every side, and hostile programs and program files:
// each case has its documented outcome, leaves the program's files
// complete, and never crashes the host (the sanitizer build reports any
// memory fault on standard error, which must stay empty).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "robust_run.h"
#include "scratch_files.h"

namespace fs = std::filesystem;
using robust::Interference;

namespace {

// ends.c's files: 100,003 pattern bytes and three short writes.
std::string big_dat() {
  std::string s(100003, '\0');
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(i * 13 + 5);
  return s;
}
const std::string kSmallTxt = "one two three\n";
const std::string kFilesWritten = "OK Fwrite of 100003 bytes\nfiles written\n";

struct EndCase {
  const char* name;
  const char* letter;
  Interference interference;
  int signal;         // for kSignal, and the signal expected to end vellum
  int exit_status;    // when no signal ends it
  const char* after;  // what follows kFilesWritten: exact, or a prefix
  bool exact;
};

// clang-format off
const EndCase kEndCases[] = {
    {"Pterm",          "p", Interference::kNone,      0,       7, "", true},
    {"Pterm0",         "0", Interference::kNone,      0,       0, "", true},
    {"FaultReport",    "f", Interference::kNone,      0,     255, "ILLEGAL INSTRUCTION: PC=", false},
    {"UnhandledRead",  "r", Interference::kNone,      0,     255, "UNHANDLED I/O READ 00ff8000", true},
    {"StoppedCpu",     "s", Interference::kNone,      0,     255, "CPU STOPPED WITH NOTHING TO WAKE IT\n", true},
    {"ClosedPipe",     "l", Interference::kClosePipe, SIGPIPE, 0, "", false},
    {"SigtermPrinting","l", Interference::kSignal,    SIGTERM, 0, "0\n", false},
    {"SigtermLooping", "t", Interference::kSignal,    SIGTERM, 0, "", true},
    {"SigintLooping",  "t", Interference::kSignal,    SIGINT,  0, "", true},
    {"SighupPrinting", "l", Interference::kSignal,    SIGHUP,  0, "0\n", false},
};
// clang-format on

void PrintTo(const EndCase& c, std::ostream* os) {
  *os << c.name;
}

class EveryEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(EveryEnd, LeavesTheFilesComplete) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: guest programs not built";
  const EndCase& c = GetParam();
  e2e::ScratchDir dir("vellum-robust");
  robust::Launch l;
  l.dir = dir.path();
  l.program = fs::path(GUEST_DIR) / "ends.tos";
  l.args = {c.letter};
  l.interference = c.interference;
  l.signal = c.signal;
  const robust::Outcome o = robust::launch(l);

  ASSERT_FALSE(o.timed_out) << "output so far:\n" << o.out.substr(0, 2000);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.signal, c.signal);
  if (c.signal == 0) {
    EXPECT_EQ(o.exit_status, c.exit_status);
  }
  ASSERT_EQ(o.out.substr(0, kFilesWritten.size()), kFilesWritten);
  const std::string after = o.out.substr(kFilesWritten.size());
  if (c.exact)
    EXPECT_EQ(after, c.after);
  else
    EXPECT_EQ(after.substr(0, std::string(c.after).size()), c.after);
  // Printed lines are whole and in order up to the end.
  if (std::string(c.letter) == "l" && c.interference == Interference::kSignal) {
    std::string want;
    for (unsigned n = 0; want.size() < after.size(); ++n) want += std::to_string(n) + "\n";
    EXPECT_EQ(after, want.substr(0, after.size()));
  }
  EXPECT_TRUE(e2e::read_file(dir.path() / "big.dat") == big_dat())
      << "big.dat has " << e2e::read_file(dir.path() / "big.dat").size() << " bytes";
  EXPECT_EQ(e2e::read_file(dir.path() / "small.txt"), kSmallTxt);
}

INSTANTIATE_TEST_SUITE_P(Robust, EveryEnd, ::testing::ValuesIn(kEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Started with standard descriptors closed, neither the program's files
// nor vellum's own descriptors may take 0 to 2: console output would land
// in them.
class ClosedAtStart : public ::testing::TestWithParam<std::vector<int>> {};

TEST_P(ClosedAtStart, DescriptorsDoNotCatchTheConsole) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: guest programs not built";
  e2e::ScratchDir dir("vellum-robust");
  robust::Launch l;
  l.dir = dir.path();
  l.program = fs::path(GUEST_DIR) / "ends.tos";
  l.args = {"p"};
  l.closed_descriptors = GetParam();
  const robust::Outcome o = robust::launch(l);
  ASSERT_FALSE(o.timed_out);
  EXPECT_EQ(o.signal, 0);
  EXPECT_EQ(o.exit_status, 7);
  EXPECT_TRUE(e2e::read_file(dir.path() / "big.dat") == big_dat());
  EXPECT_EQ(e2e::read_file(dir.path() / "small.txt"), kSmallTxt);
}

INSTANTIATE_TEST_SUITE_P(Robust, ClosedAtStart,
                         ::testing::Values(std::vector<int>{1}, std::vector<int>{0, 1},
                                           std::vector<int>{0, 1, 2}));

// Output of every kind, vellum's own lines among it, reaches a pipe in the
// order the program made it.
TEST(OutputOrder, ConsoleCallsAndReportsKeepProgramOrder) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: guest programs not built";
  e2e::ScratchDir dir("vellum-robust");
  robust::Launch l;
  l.dir = dir.path();
  l.program = fs::path(GUEST_DIR) / "ends.tos";
  l.args = {"o"};
  const robust::Outcome o = robust::launch(l);
  ASSERT_FALSE(o.timed_out);
  EXPECT_EQ(o.out,
            "1 Cconws\n2 Fwrite 1\n3 Fwrite 2\nUNHANDLED GEMDOS CALL 0050 \n4 Cconws\n"
            "UNHANDLED I/O READ 00ff8000");
  EXPECT_EQ(o.exit_status, 255);
}

TEST(WriteErrors, FwriteAndFcloseReportDataTheHostLost) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: guest programs not built";
  e2e::ScratchDir dir("vellum-robust");
  robust::Launch l;
  l.dir = dir.path();
  l.program = fs::path(GUEST_DIR) / "ends.tos";
  l.args = {"d"};
  const robust::Outcome o = robust::launch(l);
  ASSERT_FALSE(o.timed_out);
  EXPECT_EQ(o.out, kFilesWritten +
                       "OK Fopen of the full device\n"
                       "OK Fwrite answers fewer bytes than asked\n"
                       "OK Fclose reports the lost data\n"
                       "OK a short Fwrite is only buffered\n"
                       "OK Fclose reports its flush failing\n"
                       "OK writing a read-only file's handle answers -36\n"
                       "OK and loses nothing, so Fclose answers 0\n");
  EXPECT_EQ(o.exit_status, 0);
}

// Standard output that refuses data and is no pipe ends the run with
// status 1 and a message on standard error; the files are complete.
TEST(WriteErrors, FullStandardOutputEndsTheRun) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: guest programs not built";
  e2e::ScratchDir dir("vellum-robust");
  const std::string cmd = std::string("cd ") + dir.path().string() + " && " VELLUM_BINARY " " +
                          (fs::path(GUEST_DIR) / "ends.tos").string() +
                          " l >/dev/full 2>err.txt; echo $? >status.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(e2e::read_file(dir.path() / "status.txt"), "1\n");
  EXPECT_EQ(e2e::read_file(dir.path() / "err.txt"), "vellum: write error on standard output\n");
  EXPECT_TRUE(e2e::read_file(dir.path() / "big.dat") == big_dat());
  EXPECT_EQ(e2e::read_file(dir.path() / "small.txt"), kSmallTxt);
}

// Hostile requests from a running program.
struct HostileCase {
  const char* name;
  const char* letter;
  int exit_status;
  const char* out;  // exact, or a prefix
  bool exact;
  std::vector<std::pair<std::string, std::string>> files_after;
};

const std::string kLongName(255, 'b');
const std::string kSpacesName = "c" + std::string(254, ' ');

const std::vector<HostileCase>& hostile_cases() {
  // The first bytes of the vector table: the ROM's "BRA.S" and reset
  // vector, which a transfer that wraps past 0xFFFFFF meets.
  static const std::vector<HostileCase> cases = {
      {"BuffersAcrossTheTop",
       "w",
       0,
       "OK Fread across the top\nCconws across the top: [WXYZ\x01\x04]\nOK Fwrite across the "
       "top\nOK Fclose\ncarried on\n",
       true,
       {{"wrap.dat", "WXYZ"}}},
      {"ParametersAtTheTop", "a", 0x2E, "", true, {}},
      {"LongNames",
       "n",
       0,
       "OK Fcreate of a 302-byte name\nOK Fclose\nOK Fcreate of a name of 0x1A bytes\nOK "
       "Fclose\nOK Fopen of a name cut to nothing\ncarried on\n",
       true,
       {{kLongName, "long\n"}, {kSpacesName, ""}}},
      {"SupexecIntoIo", "x", 255, "UNHANDLED I/O READ 00ffff01", true, {}},
      {"SetexcIntoIo", "e", 255, "00000000\nUNHANDLED I/O READ 00ff8000", true, {}},
      {"RomOverwritten", "v", 255, "CPU STOPPED WITH NOTHING TO WAKE IT\n", true, {}},
      {"OddProgramCounter", "o", 5, "", true, {}},
      {"JumpIntoIo", "i", 255, "UNHANDLED I/O READ 00ff8000", true, {}},
  };
  return cases;
}

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

class HostileProgram : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileProgram, EndsAsDocumented) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: guest programs not built";
  const HostileCase& c = GetParam();
  e2e::ScratchDir dir("vellum-robust");
  // What the program reads to the top of the address space: text to print,
  // or the function number 0x004C (Pterm) for the parameter-pointer case.
  const bool parameters = std::string(c.letter) == "a";
  e2e::write_file(dir.path() / "in.dat", parameters ? std::string("\x00\x4C", 2) : "WXYZ");
  robust::Launch l;
  l.dir = dir.path();
  l.program = fs::path(GUEST_DIR) / "hostile.tos";
  l.args = {c.letter};
  const robust::Outcome o = robust::launch(l);
  ASSERT_FALSE(o.timed_out) << o.out.substr(0, 2000);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.signal, 0);
  EXPECT_EQ(o.exit_status, c.exit_status);
  if (c.exact)
    EXPECT_EQ(o.out, c.out);
  else
    EXPECT_EQ(o.out.substr(0, std::string(c.out).size()), c.out);
  for (const auto& [file, content] : c.files_after) {
    EXPECT_TRUE(fs::exists(dir.path() / file)) << file.size() << "-byte name missing";
    EXPECT_EQ(e2e::read_file(dir.path() / file), content);
  }
}

INSTANTIATE_TEST_SUITE_P(Robust, HostileProgram, ::testing::ValuesIn(hostile_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Program files the ROM could not use are refused before anything runs;
// the odd but usable ones run.
std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

struct Header {
  uint32_t text = 16, data = 0, bss = 0, symbols = 0;
  uint16_t magic = 0x601A, absolute = 0;
};

std::string header(const Header& h) {
  return std::string{static_cast<char>(h.magic >> 8), static_cast<char>(h.magic)} + be32(h.text) +
         be32(h.data) + be32(h.bss) + be32(h.symbols) + be32(0) + be32(0) +
         std::string{static_cast<char>(h.absolute >> 8), static_cast<char>(h.absolute)};
}

// Pterm(3), a NOP and a long the relocation may fix up: 16 bytes of text.
const std::string kText("\x3F\x3C\x00\x03\x3F\x3C\x00\x4C\x4E\x41\x4E\x71\x00\x00\x00\x00", 16);

std::string image(const Header& h, const std::string& after_text) {
  return header(h) + kText + after_text;
}

struct ImageCase {
  const char* name;
  std::string bytes;
  int exit_status;
  std::string out;  // "@" stands for the program file's path
};

const std::vector<ImageCase>& image_cases() {
  const std::string not_program = "Program file @ is not a GEMDOS program\n";
  static const std::vector<ImageCase> cases = {
      {"OneByte", "\x60", 255, not_program},
      {"HeaderCutShort", header({}).substr(0, 27), 255, not_program},
      {"GarbageHeader", std::string(64, '\xA5'), 255, not_program},
      {"NoBranchWord", image({.magic = 0x4E75}, be32(0)), 255, not_program},
      {"TextLongerThanFile", image({.text = 0x1000}, ""), 255,
       "Program file @ is truncated: its header needs 4124 bytes, the file has 44\n"},
      {"DataLengthHuge", image({.data = 0xFFFFFFF0}, be32(0)), 255,
       "Program file @ is truncated: its header needs 4294967324 bytes, the file has 48\n"},
      {"SymbolsPointAnywhere", image({.symbols = 0x7FFFFFFF}, be32(0)), 255,
       "Program file @ is truncated: its header needs 2147483691 bytes, the file has 48\n"},
      {"BssBeyondMemory", image({.bss = 0x1000000}, be32(0)), 255,
       "Program file @ does not fit in memory: 16777232 bytes, at most 16570888\n"},
      {"BssWrapsAround", image({.bss = 0xFFFFFFFC}, be32(0)), 255,
       "Program file @ does not fit in memory: 4294967308 bytes, at most 16570888\n"},
      {"RelocationFarBeyond", image({}, be32(0xF00000) + '\0'), 255,
       "Program file @ relocates outside the program: offset 15728640 of 16 bytes\n"},
      {"RelocationStepsOut", image({}, be32(12) + "\x01\x01\x04" + '\0'), 255,
       "Program file @ relocates outside the program: offset 524 of 16 bytes\n"},
      {"RelocationHalfOutside", image({}, be32(14) + '\0'), 255,
       "Program file @ relocates outside the program: offset 14 of 16 bytes\n"},
      {"RelocationEndsWithTheFile", image({}, be32(12)), 3, ""},
      {"RelocationTableWithoutEnd", image({}, be32(12) + "\x01\x01"), 3, ""},
      {"AbsoluteIgnoresTheTable", image({.absolute = 1}, be32(0xFFFFFF)), 3, ""},
      {"SymbolTableSkipped", image({.symbols = 8}, std::string(8, '\xFF') + be32(12) + '\0'), 3,
       ""},
      {"NoRelocationLong", image({}, ""), 3, ""},
      // The leading long cut short by the file's end was not checked, and the
      // ROM applied the fix-up its bytes and the zeros after them make: here
      // inside its own reset routine.
      {"RelocationLongCutShortIsChecked", image({}, std::string("\x00\xFC\xDB", 3)), 255,
       "Program file @ relocates outside the program: offset 16571136 of 16 bytes\n"},
      {"RelocationLongCutShortToZero", image({}, std::string("\x00\x00", 2)), 3, ""},
  };
  return cases;
}

void PrintTo(const ImageCase& c, std::ostream* os) {
  *os << c.name;
}

class HostileImage : public ::testing::TestWithParam<ImageCase> {};

TEST_P(HostileImage, IsRefusedOrRuns) {
  const ImageCase& c = GetParam();
  e2e::ScratchDir dir("vellum-robust");
  const fs::path program = dir.path() / "hostile.tos";
  e2e::write_file(program, c.bytes);
  robust::Launch l;
  l.dir = dir.path();
  l.program = program;
  const robust::Outcome o = robust::launch(l);
  ASSERT_FALSE(o.timed_out);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.exit_status, c.exit_status);
  std::string want = c.out;
  if (size_t at = want.find('@'); at != std::string::npos) want.replace(at, 1, program.string());
  EXPECT_EQ(o.out, want);
}

INSTANTIATE_TEST_SUITE_P(Robust, HostileImage, ::testing::ValuesIn(image_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
