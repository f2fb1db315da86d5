// Start-up behaviour of the built binary: usage, refused files, statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Result {
  std::string out;
  int status;
};

Result run_vellum(const std::string& args) {
  std::string cmd = std::string(VELLUM_BINARY) + " " + args + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  Result r{"", -1};
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() / ("vellum-startup-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(StartupTest, NoArgumentsPrintsBannerAndUsage) {
  Result r = run_vellum("");
  EXPECT_EQ(r.status, 255);
  ASSERT_EQ(r.out.size(), std::string("vellum b0000000000 by quarndle\n").size() +
                              std::string("Usage: vellum <program file> [parameters]\n").size());
  EXPECT_EQ(r.out.rfind("vellum b", 0), 0u);
  for (int i = 8; i < 18; ++i) EXPECT_TRUE(isdigit(r.out[i])) << r.out;
  EXPECT_EQ(r.out.substr(18), " by quarndle\nUsage: vellum <program file> [parameters]\n");
}

TEST_F(StartupTest, MissingFile) {
  std::string path = (dir_ / "missing.tos").string();
  Result r = run_vellum(path);
  EXPECT_EQ(r.out, "Unable to open " + path);
  EXPECT_EQ(r.status, 255);
}

TEST_F(StartupTest, Directory) {
  Result r = run_vellum(dir_.string());
  EXPECT_EQ(r.out, "Unable to open " + dir_.string());
  EXPECT_EQ(r.status, 255);
}

TEST_F(StartupTest, EmptyFile) {
  std::string path = (dir_ / "empty.tos").string();
  std::ofstream(path).close();
  Result r = run_vellum(path);
  EXPECT_EQ(r.out, "Program file " + path + " is empty\n");
  EXPECT_EQ(r.status, 255);
}

TEST_F(StartupTest, TooLargeFile) {
  std::string path = (dir_ / "large.tos").string();
  { std::ofstream(path).close(); }
  std::filesystem::resize_file(path, 0xFCDA25);
  Result r = run_vellum(path);
  EXPECT_EQ(r.out, "Program file " + path + " is too large: 16570917 bytes, at most 16570916\n");
  EXPECT_EQ(r.status, 255);
}

// A list longer than the command line goes by ARGV; only an environment
// past the room above the ROM (86016 bytes: "ARGV=", the name, each
// parameter and the final empty string, all NUL-terminated) is refused. The
// file is no program, so a list that fits gets as far as that check.
TEST_F(StartupTest, CommandLineTooLongOnlyPastTheArgvRoom) {
  std::string path = (dir_ / "any.tos").string();
  { std::ofstream(path) << "x"; }
  const size_t fits = 86016 - path.size() - 9;
  for (size_t length : {size_t{126}, fits}) {
    Result r = run_vellum(path + " " + std::string(length, 'a'));
    EXPECT_EQ(r.out, "Program file " + path + " is not a GEMDOS program\n") << length;
    EXPECT_EQ(r.status, 255);
  }
  Result r = run_vellum(path + " " + std::string(fits + 1, 'a'));
  EXPECT_EQ(r.out, "Command line too long: 86017 bytes of ARGV environment, at most 86016\n");
  EXPECT_EQ(r.status, 255);
}

// A program that enters supervisor mode and executes STOP waits for an
// interrupt that can never come; the run must end instead of spinning.
TEST_F(StartupTest, StopWithNothingToWakeEndsTheRun) {
  // clang-format off
  const unsigned char program[] = {
      0x60, 0x1A,                          // magic
      0, 0, 0, 16,                         // text length
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // data, BSS and symbol lengths
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0,        // reserved, flags, absolute flag
      0x42, 0xA7,                          // CLR.L -(SP)
      0x3F, 0x3C, 0x00, 0x20,              // MOVE.W #$20,-(SP)
      0x4E, 0x41,                          // TRAP #1: Super(0)
      0x4E, 0x72, 0x27, 0x00,              // STOP #$2700
      0x4E, 0x75, 0x4E, 0x75,              // never reached
      0, 0, 0, 0,                          // nothing to relocate
  };
  // clang-format on
  std::string path = (dir_ / "stop.tos").string();
  {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(program), sizeof program);
  }
  Result r = run_vellum(path);
  EXPECT_EQ(r.out, "CPU STOPPED WITH NOTHING TO WAKE IT\n");
  EXPECT_EQ(r.status, 255) << "a run that can never go on failed";
}

}  // namespace
