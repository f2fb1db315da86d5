// The console calls through the GEMDOS and BIOS dispatchers, with a pipe (or
// a pseudo-terminal) as the program's standard input.
#include "oscalls/console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "oscall_test_support.h"
#include "oscalls/bios_xbios.h"
#include "oscalls/gemdos.h"

namespace {

using namespace oscalltest;

constexpr uint32_t kKeep = 0xDEADBEEF;
constexpr uint32_t kBuffer = 0x8000;
constexpr uint32_t kNone = 0;  // D0 for "nothing waiting" and "nothing came"
constexpr uint32_t kYes = 0xFFFFFFFF;

// The input side of a pipe that the console reads; `end` closes the writing
// side, so what was written is all there will ever be.
class InputPipe {
 public:
  InputPipe(const std::string& bytes, bool end) {
    if (pipe(fds_) != 0) std::abort();
    if (!bytes.empty() && write(fds_[1], bytes.data(), bytes.size()) != (ssize_t)bytes.size())
      std::abort();
    if (end) close_writer();
    oscalls::console_reset(fds_[0]);
  }
  ~InputPipe() {
    close_writer();
    close(fds_[0]);
  }
  void close_writer() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }

 private:
  int fds_[2];
};

enum Layer { kGemdos, kBios };

struct Step {
  Layer layer;
  Block block;
  uint32_t d0;
  std::string output;
};

std::string run_step(const Step& s) {
  m68k::set_register(m68k::kD0, kKeep);
  return call_with(s.layer == kGemdos ? oscalls::gemdos_dispatch : oscalls::bios_dispatch, s.block);
}

struct ConsoleCase {
  const char* label;
  std::string input;
  bool end;  // the input ends after these bytes
  std::vector<Step> steps;
};

class ConsoleCalls : public ::testing::TestWithParam<ConsoleCase> {
 protected:
  void SetUp() override { cputest::reset_machine(); }
};

TEST_P(ConsoleCalls, AnswerAndPrint) {
  InputPipe input(GetParam().input, GetParam().end);
  for (size_t i = 0; i < GetParam().steps.size(); ++i) {
    const Step& s = GetParam().steps[i];
    EXPECT_EQ(run_step(s), s.output) << "step " << i;
    EXPECT_EQ(d0(), s.d0) << "step " << i;
  }
  EXPECT_EQ(machine::quit_flag, 0u);
}

Step key(uint16_t function, uint32_t d0, std::string output = "") {
  return {kGemdos, {W(function)}, d0, std::move(output)};
}
Step cnecin(uint32_t d0) {
  return key(0x08, d0);
}
Step cconis(uint32_t d0) {
  return key(0x0B, d0);
}
Step crawio(uint32_t c, uint32_t d0, std::string output = "") {
  return {kGemdos, {W(0x06), W(c)}, d0, std::move(output)};
}
Step fread0(int32_t count, uint32_t d0) {
  return {kGemdos, {W(0x3F), W(0), L(static_cast<uint32_t>(count)), L(kBuffer)}, d0, ""};
}
Step bios(uint32_t function, uint32_t device, uint32_t d0) {
  return {kBios, {W(function), W(device)}, d0, ""};
}

INSTANTIATE_TEST_SUITE_P(
    Input, ConsoleCalls,
    ::testing::Values(
        ConsoleCase{"LfArrivesAsReturn",
                    "a\nb",
                    true,
                    {key(0x07, 'a'), key(0x07, '\r'), key(0x07, 'b'), key(0x07, kNone)}},
        ConsoleCase{
            "CrLfIsOneReturn", "\r\n\r\nx", true, {cnecin('\r'), cnecin('\r'), cnecin('x')}},
        ConsoleCase{"LoneCrsAndLfsEachReturn",
                    "\r\r\n\nz",
                    true,
                    {cnecin('\r'), cnecin('\r'), cnecin('\r'), cnecin('z')}},
        ConsoleCase{"CconinEchoesAPipe",
                    "k\n",
                    true,
                    {key(0x01, 'k', "k"), key(0x01, '\r', "\r"), key(0x01, kNone)}},
        ConsoleCase{"StatusLooksWithoutTaking",
                    "m",
                    false,
                    {cconis(kYes), cconis(kYes), bios(0x01, 2, kYes), cnecin('m'),
                     // The input is still open: nothing waiting, and no wait.
                     cconis(kNone), bios(0x01, 2, kNone), crawio(0xFF, kNone)}},
        ConsoleCase{"StatusSkipsTheLfOfACrLf", "\r\n", true, {cnecin('\r'), cconis(kNone)}},
        ConsoleCase{"CrawioTakesAWaitingKeyAndPrintsOthers",
                    "p",
                    true,
                    {crawio(0xFF, 'p'), crawio(0xFF, kNone), crawio('Z', kKeep, "Z"),
                     crawio(0x00FF, kNone), crawio(0x1241, kKeep, "A")}},
        ConsoleCase{"FreadIsRawAndSharesThePosition",
                    "x\r\ny\n",
                    true,
                    {cnecin('x'), cnecin('\r'), fread0(10, 3), fread0(10, 0)}},
        ConsoleCase{"FreadNegativeCountTakesNothing", "q", true, {fread0(-5, 0), cnecin('q')}},
        ConsoleCase{"OnlyTheConsoleDeviceHasInput",
                    "c",
                    true,
                    {bios(0x01, 1, kNone), bios(0x01, 0, kNone), bios(0x02, 1, kNone),
                     bios(0x02, 2, 'c'), bios(0x02, 3, kNone)}}),
    [](const auto& info) { return std::string(info.param.label); });

class Console : public ::testing::Test {
 protected:
  void SetUp() override { cputest::reset_machine(); }
};

// Fread takes everything that is already there, across refills of the
// console's own buffer, and only waits for the first byte.
TEST_F(Console, FreadTakesAllThatIsThere) {
  std::string bytes;
  for (int i = 0; i < 10000; ++i) bytes.push_back(static_cast<char>(i * 13));
  InputPipe input(bytes, false);
  run_step(fread0(20000, 10000));
  EXPECT_EQ(d0(), 10000u);
  std::string got(10000, 0);
  machine::copy_from_guest(got.data(), kBuffer, got.size());
  EXPECT_TRUE(got == bytes);
}

// Every call that waits counts towards one limit, whatever it waits with.
TEST_F(Console, WaitingAfterTheEndEndsTheRunOnce) {
  InputPipe input("", true);
  const Step waits[] = {cnecin(kNone),        fread0(4, 0),     bios(0x02, 2, kNone),
                        bios(0x02, 1, kNone), key(0x01, kNone), key(0x03, kNone)};
  for (unsigned i = 0; i < oscalls::kAnswersAfterEnd; ++i) {
    EXPECT_EQ(run_step(waits[i % std::size(waits)]), "");
    EXPECT_EQ(d0(), 0u);
    ASSERT_EQ(machine::quit_flag, 0u) << "after " << i + 1 << " answers";
  }
  // Polling does not count.
  for (int i = 0; i < 100; ++i) run_step(cconis(kNone));
  EXPECT_EQ(machine::quit_flag, 0u);
  EXPECT_EQ(run_step(cnecin(kNone)), std::string(oscalls::kInputEndedMessage) + "\n");
  EXPECT_EQ(machine::quit_flag, 1u);
}

TEST_F(Console, EndMessageStartsOnALineOfItsOwn) {
  InputPipe input("", true);
  run_step({kGemdos, {W(0x02), W('?')}, kKeep, "?"});
  for (unsigned i = 0; i < oscalls::kAnswersAfterEnd; ++i) run_step(cnecin(kNone));
  EXPECT_EQ(run_step(cnecin(kNone)), std::string("\n") + oscalls::kInputEndedMessage + "\n");
}

struct LineCase {
  const char* label;
  std::string input;
  uint32_t max;
  std::string stored;    // count byte and characters
  std::string echo;      // printed for a piped input
  std::string next_key;  // what Cnecin gets afterwards ("" for the end)
};

class Cconrs : public Console, public ::testing::WithParamInterface<LineCase> {};

TEST_P(Cconrs, StoresCountAndCharactersWithoutTerminator) {
  const LineCase& c = GetParam();
  InputPipe input(c.input, true);
  std::vector<uint8_t> sentinel(40, 0xEE);
  machine::copy_to_guest(kBuffer, sentinel.data(), sentinel.size());
  machine::poke8(kBuffer, c.max);
  EXPECT_EQ(run_step({kGemdos, {W(0x0A), L(kBuffer)}, 0, ""}), c.echo);
  EXPECT_EQ(d0(), static_cast<uint8_t>(c.stored[0]));
  std::string got(c.stored.size() + 1, 0);
  machine::copy_from_guest(got.data(), kBuffer + 1, got.size());
  EXPECT_EQ(got, c.stored + "\xEE");
  EXPECT_EQ(machine::peek8(kBuffer), c.max);
  run_step(cnecin(0));
  EXPECT_EQ(d0(), c.next_key.empty() ? 0u : static_cast<uint8_t>(c.next_key[0]));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Cconrs,
    ::testing::Values(LineCase{"EndsAtLf", "ab\ncd", 10,
                               "\x02"
                               "ab",
                               "ab\r", "c"},
                      LineCase{"EndsAtCrLf", "ab\r\ncd", 10,
                               "\x02"
                               "ab",
                               "ab\r", "c"},
                      LineCase{"FullLineTakesItsReturn", "abc\r\nd", 3,
                               "\x03"
                               "abc",
                               "abc\r", "d"},
                      LineCase{"FullBufferLeavesTheRest", "abcd\n", 3,
                               "\x03"
                               "abc",
                               "abc", "d"},
                      LineCase{"EmptyLine", "\nx", 10, std::string(1, '\0'), "\r", "x"},
                      LineCase{"ZeroMaximumReadsNothing", "x", 0, std::string(1, '\0'), "", "x"},
                      LineCase{"LastLineWithoutReturn", "tail", 10,
                               "\x04"
                               "tail",
                               "tail", ""}),
    [](const auto& info) { return std::string(info.param.label); });

// On a terminal the user already sees what they type: no second echo.
TEST_F(Console, NoEchoOnATerminal) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) GTEST_SKIP() << "no pseudo-terminal on this machine";
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  oscalls::console_reset(terminal);
  ASSERT_EQ(write(master, "y\nline\n", 7), 7);
  EXPECT_EQ(run_step(key(0x01, 'y')), "");
  EXPECT_EQ(d0(), static_cast<uint32_t>('y'));
  EXPECT_EQ(run_step(key(0x01, '\r')), "");
  machine::poke8(kBuffer, 20);
  EXPECT_EQ(run_step({kGemdos, {W(0x0A), L(kBuffer)}, 0, ""}), "");
  EXPECT_EQ(d0(), 4u);
  close(terminal);
  close(master);
}

}  // namespace
