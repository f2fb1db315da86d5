// Fault reports and the register dump, line by line for a known state.
#include "machine/fault_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"

namespace {

using machine::poke16;
using machine::poke32;
using machine::poke8;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Inside the ILLEGAL-instruction stub, with registers and memory chosen so
// that every field of the dump shows something different.
void known_state() {
  cputest::reset_machine();
  m68k::set_register(m68k::kSR, 0x2704);
  m68k::set_register(m68k::kPC, 0x00FE014E);
  m68k::set_register(m68k::kA7, 0x7FFA);  // the exception frame
  poke16(0x7FFA, 0x0010);
  poke32(0x7FFC, 0x00001234);
  // Reads of the user stack are masked to 24 bits; the pointer prints whole.
  m68k::set_register(m68k::kUSP, 0x01000100);
  poke32(0x100, 0x11223344);
  poke32(0x104, 0x55667788);
  for (unsigned n = 0; n < 8; ++n) m68k::set_register(m68k::kD0 + n, 0x10000000 * n + n);
  const uint32_t a[7] = {0x100, 0xFF000100, 0x00FFFFFE, 0x7FFA, 0, 0x00ABCDEF, 0x3000};
  for (unsigned n = 0; n < 7; ++n) m68k::set_register(m68k::kA0 + n, a[n]);
  poke8(0xFFFFFE, 0xAB);  // a long read here wraps to address 0
  poke8(0xFFFFFF, 0xCD);
  const uint32_t vectors[][2] = {{0x00, 0x602E0104}, {0x04, 0x00FE0030}, {0x08, 0x00FE0142},
                                 {0x0C, 0x00FE0146}, {0x10, 0x00FE014A}, {0x84, 0x00FE0290},
                                 {0xFC, 0x00FE0236}};
  for (auto [at, v] : vectors) poke32(at, v);
}

const std::vector<std::string> kKnownDump = {
    "PC=00fe014e  SSR=2704  USR=0010",
    "",
    "USR Stack Pointer=01000100",
    "0(USP)=11223344 55667788 00000000 00000000",
    "2(USP)=33445566 77880000 00000000 00000000",
    "",
    "SYS Stack Pointer=00007ffa",
    "0(SSP)=00100000 12340000 00000000 00000000",
    "2(SSP)=00001234 00000000 00000000 00000000",
    "",
    "D0=00000000  A0=00000100  (A0)=11223344 55667788 00000000 00000000",
    "D1=10000001  A1=ff000100  (A1)=11223344 55667788 00000000 00000000",
    "D2=20000002  A2=00fffffe  (A2)=abcd602e 010400fe 003000fe 014200fe",
    "D3=30000003  A3=00007ffa  (A3)=00100000 12340000 00000000 00000000",
    "D4=40000004  A4=00000000  (A4)=602e0104 00fe0030 00fe0142 00fe0146",
    "D5=50000005  A5=00abcdef  (A5)=00000000 00000000 00000000 00000000",
    "D6=60000006  A6=00003000  (A6)=00000000 00000000 00000000 00000000",
    "D7=70000007",
    "",
    "00000000: 602E0104 00FE0030 00FE0142 00FE0146",
    "00000010: 00FE014A 00000000 00000000 00000000",
    "00000020: 00000000 00000000 00000000 00000000",
    "00000030: 00000000 00000000 00000000 00000000",
    "00000040: 00000000 00000000 00000000 00000000",
    "00000050: 00000000 00000000 00000000 00000000",
    "00000060: 00000000 00000000 00000000 00000000",
    "00000070: 00000000 00000000 00000000 00000000",
    "00000080: 00000000 00FE0290 00000000 00000000",
    "00000090: 00000000 00000000 00000000 00000000",
    "000000A0: 00000000 00000000 00000000 00000000",
    "000000B0: 00000000 00000000 00000000 00000000",
    "000000C0: 00000000 00000000 00000000 00000000",
    "000000D0: 00000000 00000000 00000000 00000000",
    "000000E0: 00000000 00000000 00000000 00000000",
    "000000F0: 00000000 00000000 00000000 00FE0236",
};

TEST(RegisterDump, PrintsEveryLineOfAKnownState) {
  known_state();
  testing::internal::CaptureStdout();
  machine::register_dump();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.back(), '\n');
  const std::vector<std::string> lines = lines_of(out);
  ASSERT_EQ(lines.size(), kKnownDump.size()) << out;
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], kKnownDump[i]) << "line " << i;
}

struct ReportCase {
  const char* label;
  bool fault;  // fault report or unhandled write
  const char* first_line;
  size_t dump_starts_at;
};

class Report : public ::testing::TestWithParam<ReportCase> {};

TEST_P(Report, PrintsItsHeadThenTheDumpAndStopsTheRun) {
  known_state();
  m68k::cycle_budget = 1000;
  machine::exit_code = 0;
  testing::internal::CaptureStdout();
  if (GetParam().fault)
    machine::fault_report("ILLEGAL INSTRUCTION: ");
  else
    machine::unhandled_write_report(0xFFFF80, 0x7FFA);
  const std::vector<std::string> lines = lines_of(testing::internal::GetCapturedStdout());
  ASSERT_EQ(lines.size(), kKnownDump.size() + GetParam().dump_starts_at);
  EXPECT_EQ(lines[0], GetParam().first_line);
  for (size_t i = GetParam().fault ? 1 : 0; i < kKnownDump.size(); ++i)
    EXPECT_EQ(lines[GetParam().dump_starts_at + i], kKnownDump[i]) << "line " << i;
  EXPECT_EQ(machine::quit_flag, 1u);
  EXPECT_EQ(machine::exit_code, machine::kFailedRunCode) << "the run failed";
  EXPECT_EQ(m68k::cycle_budget, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Report,
    ::testing::Values(
        ReportCase{"Fault", true, "ILLEGAL INSTRUCTION: PC=00fe014e  SSR=2704  USR=0010", 0},
        ReportCase{"UnhandledWrite", false, "UNHANDLED I/O WRITE 00ffff80=00007ffa", 1}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
