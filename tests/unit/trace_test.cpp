// vellum-trace's lines: the one writer that hands standard output over
// first, how parameters and answers are shown, and the quiet later-OS calls.
// The Pexec line that waits for its parent's answer is in pexec_test.
#include "machine/trace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cpu/cpu_state.h"
#include "cpu_test_support.h"
#include "oscall_test_support.h"
#include "oscalls/bios_xbios.h"
#include "oscalls/gemdos.h"
#include "oscalls/process.h"

namespace {

using namespace oscalltest;

class Trace : public ::testing::Test {
 protected:
  void SetUp() override {
    cputest::reset_machine();
    oscalls::reset_processes();
    machine::trace_enabled = true;
  }
  void TearDown() override { machine::trace_enabled = false; }

  // The trace line of one call (its standard output must stay empty).
  static std::string traced(void (*dispatch)(uint32_t), const Block& block) {
    testing::internal::CaptureStderr();
    const std::string printed = call_with(dispatch, block);
    EXPECT_EQ(printed, "");
    return testing::internal::GetCapturedStderr();
  }
};

// Standard output and standard error on one file, as on a terminal: the
// program's buffered output must come before the line that follows it.
TEST_F(Trace, TheWriterHandsOverStandardOutputFirst) {
  std::fflush(stdout);
  std::FILE* both = std::tmpfile();
  ASSERT_NE(both, nullptr);
  const int saved_out = dup(1), saved_err = dup(2);
  dup2(fileno(both), 1);
  dup2(fileno(both), 2);
  std::fputs("program output ", stdout);
  machine::trace_printf("trace %d\n", 1);
  std::fputs("more ", stdout);
  const char line[] = "trace 2\n";
  machine::trace_write(line, sizeof line - 1);
  std::fflush(stdout);
  dup2(saved_out, 1);
  dup2(saved_err, 2);
  close(saved_out);
  close(saved_err);
  std::rewind(both);
  char text[128] = {};
  const size_t n = std::fread(text, 1, sizeof text - 1, both);
  std::fclose(both);
  EXPECT_EQ(std::string(text, n), "program output trace 1\nmore trace 2\n");
}

TEST_F(Trace, HandlesAndCodesShowSigned) {
  // Handle -1 (a device) and 65535 as the program pushed it.
  EXPECT_EQ(traced(oscalls::gemdos_dispatch, {W(0x3E), W(0xFFFF)})
                .rfind("GEMDOS 0x003e Fclose(handle=-1) = ", 0),
            0u);
  EXPECT_EQ(traced(oscalls::gemdos_dispatch, {W(0x46), W(0xFFFE), W(16)})
                .rfind("GEMDOS 0x0046 Fforce(stdh=-2, nonstdh=16) = ", 0),
            0u);
  EXPECT_EQ(traced(oscalls::bios_dispatch, {W(0x0B), W(0xFFFF)}),
            "BIOS 0x000b Kbshift(mode=-1) = 0\n");
}

// Each kind of parameter as the line shows it: a word unsigned, a long
// signed, pointers in hex, a character in hex, a string quoted with its
// escapes and cut after 64 characters. Super's block address is no
// parameter of the line.
TEST_F(Trace, ParametersShowByTheirKind) {
  machine::write_guest_string(0x7000, "q\"\\x");
  machine::write_guest_string(0x7100, std::string(70, 'n').c_str());
  const struct {
    void (*dispatch)(uint32_t);
    Block block;
    std::string start;
  } cases[] = {
      {oscalls::gemdos_dispatch,
       {W(0x3D), L(0x7000), W(2)},
       "GEMDOS 0x003d Fopen(name=0x007000 \"q\\x22\\x5cx\", mode=2) = "},
      {oscalls::gemdos_dispatch,
       {W(0x41), L(0x7100)},
       "GEMDOS 0x0041 Fdelete(name=0x007100 \"" + std::string(64, 'n') + "...\") = "},
      {oscalls::gemdos_dispatch,
       {W(0x3F), W(40), L(0xFFFFFFFB), L(0x8000)},
       "GEMDOS 0x003f Fread(handle=40, count=-5, buffer=0x008000) = "},
      {oscalls::bios_dispatch,
       {W(0x03), W(3), W(0x41)},
       "BIOS 0x0003 Bconout(device=3, char=0x41) = "},
      {oscalls::gemdos_dispatch, {W(0x20), L(1)}, "GEMDOS 0x0020 Super(stack=0x000001) = "},
      {oscalls::gemdos_dispatch, {W(0x48), L(0xFFFFFFFF)}, "GEMDOS 0x0048 Malloc(size=-1) = "},
  };
  for (const auto& c : cases) {
    const std::string line = traced(c.dispatch, c.block);
    EXPECT_EQ(line.rfind(c.start, 0), 0u) << line;
  }
}

// A later OS's call answers -32 without the program seeing a line; the
// trace still names it. A classic number without a handler stays loud.
TEST_F(Trace, LaterOsCallsAreTracedButQuiet) {
  EXPECT_EQ(traced(oscalls::gemdos_dispatch, {W(0x104)}),
            "GEMDOS 0x0104 Fcntl not in this OS = -32\n");
  EXPECT_EQ(traced(oscalls::gemdos_dispatch, {W(0x184)}), "GEMDOS 0x0184 not in this OS = -32\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(call_with(oscalls::gemdos_dispatch, {W(0x15)}),
            "UNHANDLED GEMDOS CALL 0015 Srealloc                       \n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "GEMDOS 0x0015 Srealloc unhandled = -32\n");
}

}  // namespace
