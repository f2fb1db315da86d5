// The CPU workloads on compiled code: each runs under vellum and as its host
// build, and the two must print the same bytes and end with the same status.
// The sizes here are small, so that the sanitizer build stays quick; the
// benchmark runs the same programs larger.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace {

struct Output {
  std::string text;
  int status = -1;
};

Output run(const std::string& command) {
  Output out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.text.append(buffer, n);
  int status = pclose(pipe);
  if (WIFEXITED(status)) out.status = WEXITSTATUS(status);
  return out;
}

std::string quoted(const std::string& s) {
  return "'" + s + "'";
}

struct WorkloadCase {
  const char* name;
  const char* size;  // the workload's parameters: its size, then any mode
};

void PrintTo(const WorkloadCase& c, std::ostream* os) {
  *os << c.name << " " << c.size;
}

class Workload : public testing::TestWithParam<WorkloadCase> {};

TEST_P(Workload, GuestPrintsWhatTheHostBuildPrints) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: workloads not built as guests";
  const WorkloadCase& c = GetParam();
  const std::string guest = std::string(GUEST_DIR) + "/workload_" + c.name + ".tos";
  const std::string native = std::string(NATIVE_DIR) + "/workload_" + c.name + "_native";
  const Output want = run(quoted(native) + " " + c.size);
  const Output got = run(quoted(VELLUM_BINARY) + " " + quoted(guest) + " " + c.size);
  ASSERT_EQ(want.status, 0) << "host build failed";
  ASSERT_FALSE(want.text.empty());
  EXPECT_EQ(got.text, want.text);
  EXPECT_EQ(got.status, want.status);
}

INSTANTIATE_TEST_SUITE_P(Workloads, Workload,
                         testing::Values(WorkloadCase{"sieve", "3"}, WorkloadCase{"crc32", "2"},
                                         WorkloadCase{"sort", "1"}, WorkloadCase{"lz", "1"},
                                         WorkloadCase{"fixed", "4"}, WorkloadCase{"strings", "60"},
                                         WorkloadCase{"vm", "400"}, WorkloadCase{"tightloop", "1"},
                                         WorkloadCase{"tightloop", "1 nop"},
                                         WorkloadCase{"hello", "1"}),
                         [](const testing::TestParamInfo<WorkloadCase>& info) {
                           // A mode after the size tells cases of one workload apart.
                           std::string name = info.param.name;
                           const std::string size = info.param.size;
                           const size_t space = size.find(' ');
                           if (space != std::string::npos) name.append("_").append(size, space + 1);
                           return name;
                         });

// The benchmark's m68k Linux runtime (start-up, argv, write, exit_group,
// number output) and the guest runtime's multiply and divide helpers under
// qemu-m68k: the strings workload calls all of them.
TEST(M68kLinuxBuild, StringsUnderQemuPrintsWhatTheHostBuildPrints) {
  if (!M68K_LINUX_CHECKED) GTEST_SKIP() << "needs the m68k cross tools and qemu-m68k";
  const std::string size = "60";
  const Output want =
      run(quoted(std::string(NATIVE_DIR) + "/workload_strings_native") + " " + size);
  const Output got = run(quoted(QEMU_M68K) + " -cpu m68000 " +
                         quoted(std::string(M68K_LINUX_DIR) + "/workload_strings") + " " + size);
  ASSERT_EQ(want.status, 0) << "host build failed";
  ASSERT_FALSE(want.text.empty());
  EXPECT_EQ(got.text, want.text);
  EXPECT_EQ(got.status, want.status);
}

}  // namespace
