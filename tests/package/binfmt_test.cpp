// The shipped binfmt_misc registration at work: the same line, under a
// test-only name and pointing at the built vellum, is given to the kernel,
// and a guest executed directly (`./prog.tos args`) must give what
// `vellum ./prog.tos args` gives: output, status and files.
//
// The entry is named vellum-test-<pid>, which no package uses; the kernel
// tries the newest entry first, so while the test runs it serves the magic
// even where the package's own entry is loaded, which the test leaves
// alone. TearDown removes the entry whatever the test's outcome; an entry
// left by a test process that died is removed by the next run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "child_run.h"
#include "scratch_files.h"

namespace fs = std::filesystem;
using package_test::ChildRun;
using package_test::InputFile;
using package_test::refill;
using package_test::run_child;

namespace {

const fs::path kMisc = "/proc/sys/fs/binfmt_misc";
const std::string kTestPrefix = "vellum-test-";

// Writes `text` in one write, as binfmt_misc wants; the errno otherwise.
int write_control(const fs::path& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) return errno;
  const ssize_t n = ::write(fd, text.data(), text.size());
  const int error = n == static_cast<ssize_t>(text.size()) ? 0 : (n < 0 ? errno : EIO);
  ::close(fd);
  return error;
}

void remove_entries_of_dead_tests() {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kMisc, error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(kTestPrefix)) continue;
    const pid_t pid = static_cast<pid_t>(std::atol(name.c_str() + kTestPrefix.size()));
    if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) write_control(entry.path(), "-1");
  }
}

// The package's line with the test's name and the built vellum.
std::string test_registration(const std::string& name) {
  std::string line = e2e::read_file(fs::path(SOURCE_DIR) / "packaging/vellum.conf.in");
  while (!line.empty() && line.back() == '\n') line.pop_back();
  std::vector<std::string> fields;
  std::istringstream split(line);
  for (std::string field; std::getline(split, field, ':');) fields.push_back(field);
  if (!line.empty() && line.back() == ':') fields.push_back("");
  // :name:type:offset:magic:mask:interpreter:flags
  if (fields.size() != 8) return "";
  fields[1] = name;
  fields[6] = VELLUM_BINARY;
  std::string joined;
  for (size_t i = 0; i < fields.size(); ++i) joined += (i ? ":" : "") + fields[i];
  return joined + "\n";
}

struct DirectCase {
  std::string name;
  std::string guest;  // in GUEST_DIR, or the example when empty
  std::vector<std::string> args;
  std::vector<std::string> folders;
  std::string argv0 = "./prog.tos";  // what the caller puts in argv[0]
  int status = 0;
};

// Test names, not the bytes of the case, in ctest's list.
void PrintTo(const DirectCase& c, std::ostream* os) {
  *os << c.name;
}

class DirectRun : public ::testing::TestWithParam<DirectCase> {
 protected:
  void SetUp() override {
    if (!fs::exists(kMisc / "register")) {
      if (::geteuid() != 0)
        GTEST_SKIP() << "binfmt_misc is not mounted on " << kMisc << " and mounting it needs root";
      if (::mount("binfmt_misc", kMisc.c_str(), "binfmt_misc", 0, nullptr) != 0)
        GTEST_SKIP() << "binfmt_misc is not mounted on " << kMisc
                     << " and mounting it failed: " << std::strerror(errno);
      mounted_ = true;
    }
    if (e2e::read_file(kMisc / "status") != "enabled\n")
      GTEST_SKIP() << "binfmt_misc is switched off (" << kMisc / "status"
                   << ")";
    remove_entries_of_dead_tests();
    name_ = kTestPrefix + std::to_string(::getpid());
    const std::string line = test_registration(name_);
    ASSERT_FALSE(line.empty()) << "packaging/vellum.conf.in is not one registration line";
    const int error = write_control(kMisc / "register", line);
    if (error == EACCES || error == EPERM || error == EROFS)
      GTEST_SKIP() << "binfmt_misc does not take registrations here: " << std::strerror(error);
    ASSERT_EQ(error, 0) << "registering " << line << ": " << std::strerror(error);
    registered_ = true;
  }

  void TearDown() override {
    if (registered_) {
      EXPECT_EQ(write_control(kMisc / name_, "-1"), 0);
      EXPECT_FALSE(fs::exists(kMisc / name_)) << "the test entry is still registered";
    }
    if (mounted_) ::umount(kMisc.c_str());
  }

  std::string name_;
  bool registered_ = false;
  bool mounted_ = false;
};

TEST_P(DirectRun, GivesWhatVellumGives) {
  const DirectCase& c = GetParam();
  if (!c.guest.empty() && !GUESTS_BUILT) GTEST_SKIP() << "the m68k cross tools are not installed";
  const fs::path program = c.guest.empty() ? fs::path(EXAMPLES_DIR) / "mandel.tos"
                                           : fs::path(GUEST_DIR) / (c.guest + ".tos");
  // In the build folder: a temporary folder may be mounted noexec.
  e2e::ScratchDir work("vellum-binfmt", BINARY_DIR);
  ASSERT_FALSE(work.path().empty());
  const std::vector<InputFile> inputs = {{program, "prog.tos"}};

  refill(work.path(), inputs, c.folders);
  fs::permissions(work.path() / "prog.tos",
                  fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
  std::vector<std::string> argv = {c.argv0};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  const ChildRun direct = run_child(work.path(), "./prog.tos", argv);

  refill(work.path(), inputs, c.folders);
  argv = {VELLUM_BINARY, "./prog.tos"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  const ChildRun through_vellum = run_child(work.path(), VELLUM_BINARY, argv);

  ASSERT_EQ(through_vellum.status, c.status) << through_vellum.out << through_vellum.err;
  EXPECT_EQ(direct.out, through_vellum.out) << direct.err;
  EXPECT_EQ(direct.err, through_vellum.err);
  EXPECT_EQ(direct.status, through_vellum.status);
  EXPECT_EQ(direct.signal, through_vellum.signal);
  EXPECT_EQ(direct.files, through_vellum.files);
}

std::vector<DirectCase> direct_cases() {
  return {
      {"Example", "", {}, {}},
      // Spaces inside, an empty one: each reaches the program as it was given.
      {"Parameters", "args", {"foo", "a b", "", "last"}, {}},
      // The caller's argv[0] is dropped (no P flag), as the shell's would be.
      {"OtherArgv0", "args", {"x", "y"}, {}, "TOOL.TTP"},
      {"ExitStatus", "exitcode", {"3"}, {}, "./prog.tos", 3},
      {"Files", "files", {"my file.txt"}, {"sub"}},
      // The ARGV list names the program as vellum was given it.
      {"LongList", "argv", {"first", "two words", "", std::string(130, 'x'), "last"}, {}},
  };
}

INSTANTIATE_TEST_SUITE_P(Binfmt, DirectRun, ::testing::ValuesIn(direct_cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
