// Command-tail bytes, the length the runner checks before loading, and the
// ARGV environment of a list too long for the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/emu_memory.h"
#include "machine/os_rom.h"
#include "runner/runner.h"

using namespace machine;

namespace {

struct TailCase {
  std::vector<std::string> params;
  std::vector<uint8_t> bytes;  // from the length byte through the NUL
};

class CommandTailTest : public ::testing::TestWithParam<TailCase> {};

TEST_P(CommandTailTest, WritesLengthCharactersSpacesAndNul) {
  clear_memory();
  std::vector<char*> argv;
  std::vector<std::string> params = GetParam().params;
  for (std::string& p : params) argv.push_back(p.data());
  const uint32_t tail = 0xFE027C;
  runner::write_command_tail(tail, static_cast<int>(argv.size()), argv.data());
  const std::vector<uint8_t>& want = GetParam().bytes;
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(peek8(tail + i), want[i]) << i;
  EXPECT_EQ(runner::command_tail_length(static_cast<int>(argv.size()), argv.data()), want[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CommandTailTest,
    ::testing::Values(TailCase{{}, {0x00, 0x00}},
                      TailCase{{"foo", "bar"}, {7, 'f', 'o', 'o', ' ', 'b', 'a', 'r', ' ', 0}},
                      TailCase{{"a b"}, {3, 'a', 0x1A, 'b', ' ', 0}}, TailCase{{""}, {0, ' ', 0}},
                      TailCase{{"x", "", "y"}, {4, 'x', ' ', ' ', 'y', ' ', 0}}));

TEST(CommandTailLength, CountsTheLongestTailThatFits) {
  std::string p(125, 'a');
  char* argv[] = {p.data()};
  EXPECT_EQ(runner::command_tail_length(1, argv), 125u);
  std::string q(126, 'a');
  char* argv2[] = {q.data()};
  EXPECT_EQ(runner::command_tail_length(1, argv2), 126u);
}

}  // namespace

namespace {

std::string guest_bytes(uint32_t at, size_t n) {
  std::string s(n, '\0');
  copy_from_guest(s.data(), at, n);
  return s;
}

struct ArgvCase {
  const char* label;
  std::vector<std::string> params;
  std::string environment;  // every byte, the final empty string included
};

class ArgvEnvironment : public ::testing::TestWithParam<ArgvCase> {};

// The name with '\' for '/', each argument NUL-terminated, an empty string
// last; empty arguments as a space, their indexes after "ARGV=NULL:".
TEST_P(ArgvEnvironment, HoldsTheNameAndEveryArgument) {
  clear_memory();
  std::vector<std::string> params = GetParam().params;
  std::vector<char*> argv;
  for (std::string& p : params) argv.push_back(p.data());
  const int count = static_cast<int>(argv.size());
  const std::string& want = GetParam().environment;
  EXPECT_EQ(runner::argv_environment_needed("/usr/tools/cc.ttp", count, argv.data()), want.size());
  runner::write_parameters(kCommandTailBuffer, "/usr/tools/cc.ttp", count, argv.data());
  EXPECT_EQ(guest_bytes(kLongEnvironment, want.size() + 1), want + '\0');
  EXPECT_EQ(peek32(kEnvironmentField), kLongEnvironment);
  // The command line: length byte 127, the ordinary tail's first 125
  // characters, NUL.
  std::string tail;
  for (const std::string& p : GetParam().params) {
    for (char c : p) tail.push_back(c == ' ' ? '\x1A' : c);
    tail.push_back(' ');
  }
  EXPECT_EQ(guest_bytes(kCommandTailBuffer, 128),
            "\x7F" + tail.substr(0, 125) + std::string(2, '\0'));
}

const std::string kLong(130, 'x');

INSTANTIATE_TEST_SUITE_P(
    Lists, ArgvEnvironment,
    ::testing::Values(ArgvCase{"OneLongArgument",
                               {kLong},
                               std::string("ARGV=\0\\usr\\tools\\cc.ttp\0", 24) + kLong +
                                   std::string(2, '\0')},
                      ArgvCase{"SpacesStayInTheirArgument",
                               {"a b", kLong},
                               std::string("ARGV=\0\\usr\\tools\\cc.ttp\0a b\0", 28) + kLong +
                                   std::string(2, '\0')},
                      ArgvCase{"EmptyArgumentsListedAfterNull",
                               {"", kLong, ""},
                               std::string("ARGV=NULL:1,3\0\\usr\\tools\\cc.ttp\0 \0", 34) + kLong +
                                   std::string("\0 \0\0", 4)}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
