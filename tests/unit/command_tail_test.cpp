// Command-tail bytes and the length the runner checks before loading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/emu_memory.h"
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
