// What the host lost must reach the program, and nothing may stay in a host
// buffer at the end: Fclose's answer after write errors, and the closing of
// every open file at the end of the run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "machine/emu_memory.h"
#include "oscalls/host_files.h"

namespace {

using namespace oscalls;

constexpr uint32_t kName = 0x7000;
constexpr uint32_t kBuffer = 0x10000;
constexpr int32_t kWriteFault = -10;

uint32_t name(const std::string& s) {
  machine::write_guest_string(kName, s.c_str());
  return kName;
}

std::string slot_file(unsigned i) {
  std::string s = "f";
  s += std::to_string(i);
  return s;
}

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class HostFilesEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    machine::clear_memory();
    reset_host_files();
    char tmpl[] = "/tmp/vellum-end-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    std::ofstream("existing") << "contents";
  }
  void TearDown() override {
    close_all_files();
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_, home_;
};

struct CloseCase {
  const char* label;
  const char* file;  // GEMDOS name
  int mode;          // Fopen mode, or -1 for Fcreate
  int32_t write;     // bytes to write (0: none)
  int32_t read;      // bytes to read (0: none)
  int32_t close_answer;
};

class FcloseAnswer : public HostFilesEnd, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(FcloseAnswer, ReportsOnlyLostWrites) {
  const CloseCase& c = GetParam();
  const int32_t h = c.mode < 0 ? file_create(name(c.file)) : file_open(name(c.file), c.mode);
  ASSERT_EQ(h, 16);
  if (c.write > 0) {
    const int32_t n = file_write(16, c.write, kBuffer);
    // The full device takes at most what fits in the host's buffer.
    if (std::string(c.file) == "\\dev\\full" && c.write > 100000) {
      EXPECT_LT(n, c.write);
    }
  }
  if (c.read > 0) file_read(16, c.read, kBuffer);
  EXPECT_EQ(file_close(16), c.close_answer);
  EXPECT_EQ(file_close(16), kInvalidHandle);  // freed either way
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(HostFilesEnd, FcloseAnswer, ::testing::Values(
    CloseCase{"FullDeviceShortWrite",   "\\dev\\full", 1,  10,     0,  kWriteFault},
    CloseCase{"FullDeviceLongWrite",    "\\dev\\full", 1,  200000, 0,  kWriteFault},
    CloseCase{"FullDeviceUpdateNoWrite", "\\dev\\full", 2, 0,      10, 0},
    CloseCase{"NewFile",                "new",         -1, 5000,   0,  0},
    CloseCase{"ReadOnlyHandleWritten",  "existing",    0,  10,     10, 0},
    CloseCase{"WriteOnlyHandleRead",    "existing",    1,  3,      10, 0}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST_F(HostFilesEnd, CloseAllFilesCompletesAndFreesEverySlot) {
  std::string want[kHostFileSlots];
  for (unsigned i = 0; i < kHostFileSlots; ++i) {
    const std::string file = slot_file(i);
    ASSERT_EQ(file_create(name(file)), static_cast<int32_t>(16 + i));
    want[i] = std::string(3 + i * 100, static_cast<char>('a' + i));
    machine::copy_to_guest(kBuffer, want[i].data(), want[i].size());
    ASSERT_EQ(file_write(16 + i, static_cast<int32_t>(want[i].size()), kBuffer),
              static_cast<int32_t>(want[i].size()));
  }
  // Nothing has reached the disk yet for the small ones: the host buffers.
  EXPECT_NE(file_text("f0"), want[0]);
  close_all_files();
  for (unsigned i = 0; i < kHostFileSlots; ++i) EXPECT_EQ(file_text(slot_file(i)), want[i]) << i;
  EXPECT_EQ(file_open(name("f3"), 0), 16);  // every slot is free again
}

}  // namespace
