// Host file handles and paths: GEMDOS names to host names, the 16 slots,
// transfers through the 512-byte bounce buffer, the console handles and the
// working directory. File tests run in a fresh temporary directory.
#include "oscalls/host_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "machine/emu_memory.h"
#include "oscalls/host_paths.h"
#include "oscalls/install.h"
#include "oscalls/malloc_calls.h"

namespace {

using namespace oscalls;

constexpr uint32_t kName = 0x7000;
constexpr uint32_t kBuffer = 0x10000;

std::string pattern(size_t n) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return s;
}

void put_guest(uint32_t at, const std::string& s) {
  machine::copy_to_guest(at, s.data(), s.size());
}

std::string guest(uint32_t at, size_t n) {
  std::string s(n, 0);
  machine::copy_from_guest(s.data(), at, n);
  return s;
}

uint32_t name(const char* s) {
  machine::write_guest_string(kName, s);
  return kName;
}

class HostFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    machine::clear_memory();
    reset_host_files();
    char tmpl[] = "/tmp/vellum-files-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    for (HostFileSlot& slot : host_files)
      if (slot.in_use) std::fclose(slot.stream);
    reset_host_files();
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }
  static void make_file(const char* file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
  }
  static std::string file_text(const char* file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path dir_, home_;
};

// --- Path translation ------------------------------------------------------

struct PathCase {
  uint32_t at;
  std::string gemdos, host;
};

class PathTranslation : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathTranslation, GivesTheHostName) {
  machine::clear_memory();
  put_guest(GetParam().at, GetParam().gemdos);
  char host[kHostNameSize];
  translate_path(GetParam().at, host);
  EXPECT_EQ(std::string(host), GetParam().host);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PathTranslation,
    ::testing::Values(PathCase{kName, "A:\\SRC\\MAIN.S", "/SRC/MAIN.S"},
                      PathCase{kName, "MAIN.S", "MAIN.S"}, PathCase{kName, "1:foo", "foo"},
                      PathCase{kName, "C:", ""}, PathCase{kName, ":abc", ":abc"},
                      PathCase{kName,
                               "my\x1A"
                               "file",
                               "my file"},
                      PathCase{kName, "..\\up\\.", "../up/."},
                      PathCase{kName, std::string(300, 'n'), std::string(255, 'n')},
                      PathCase{0xFFFFFD, "A:\\ab", "/ab"}));

// GEMDOS names "HELLO." HELLO: final dots go from every part of a name,
// while "." and ".." (dots alone) keep their meaning.
INSTANTIATE_TEST_SUITE_P(
    FinalDots, PathTranslation,
    ::testing::Values(PathCase{kName, "HELLO.", "HELLO"}, PathCase{kName, "C:SUB.\\IN.", "SUB/IN"},
                      PathCase{kName, "A..", "A"}, PathCase{kName, "\\X.\\", "/X/"},
                      PathCase{kName, ".\\..\\...", "./../..."}, PathCase{kName, "*.", "*"},
                      PathCase{kName, "A.B.", "A.B"}));

// --- open and close ----------------------------------------------------------

struct OpenCase {
  const char* label;
  uint32_t mode;
  bool exists;
  int32_t result;
};

class HostOpen : public HostFiles, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(HostOpen, AnswersHandleOrError) {
  if (GetParam().exists) make_file("F.TXT", "abcdef");
  EXPECT_EQ(file_open(name("C:F.TXT"), GetParam().mode), GetParam().result);
  EXPECT_EQ(host_files[0].in_use, GetParam().result == 16 ? 1 : 0);
  EXPECT_EQ(std::filesystem::exists("F.TXT"), GetParam().exists);
  EXPECT_EQ(file_text("F.TXT"), GetParam().exists ? "abcdef" : "");
}

INSTANTIATE_TEST_SUITE_P(Modes, HostOpen,
                         ::testing::Values(OpenCase{"ReadExisting", 0, true, 16},
                                           OpenCase{"ReadMissing", 0, false, kFileNotFound},
                                           OpenCase{"WriteExisting", 1, true, 16},
                                           OpenCase{"WriteMissing", 1, false, kFileNotFound},
                                           OpenCase{"UpdateExisting", 2, true, 16},
                                           OpenCase{"UpdateMissing", 2, false, kFileNotFound},
                                           OpenCase{"Mode3", 3, true, kFileNotFound}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(HostFiles, FopenWriteOnlyNeitherTruncatesNorReads) {
  make_file("F", "abcdef");
  ASSERT_EQ(file_open(name("F"), 1), 16);
  put_guest(kBuffer, "XY");
  EXPECT_EQ(file_read(16, 4, kBuffer), 0);
  EXPECT_EQ(file_write(16, 2, kBuffer), 2);
  EXPECT_EQ(file_close(16), 0);
  EXPECT_EQ(file_text("F"), "XYcdef");
}

TEST_F(HostFiles, FcreateCreatesOrTruncates) {
  make_file("OLD", "abcdef");
  EXPECT_EQ(file_create(name("OLD")), 16);
  EXPECT_EQ(file_create(name("C:NEW")), 17);
  EXPECT_EQ(file_create(name("NO\\SUCH\\DIR")), kPathNotFound);
  EXPECT_EQ(file_close(16), 0);
  EXPECT_EQ(file_text("OLD"), "");
  EXPECT_TRUE(std::filesystem::exists("NEW"));
}

TEST_F(HostFiles, SixteenHandlesThenNoneLeftThenTheLowestFreedOne) {
  for (int i = 0; i < 16; ++i) {
    char file[8];
    std::snprintf(file, sizeof file, "F%d", i);
    EXPECT_EQ(file_create(name(file)), 16 + i);
  }
  EXPECT_EQ(file_open(name("F0"), 0), kNoHandleLeft);
  EXPECT_EQ(file_open(name("F0"), 3), kNoHandleLeft);  // the slot check comes first
  EXPECT_EQ(file_create(name("EXTRA")), kNoHandleLeft);
  EXPECT_FALSE(std::filesystem::exists("EXTRA"));
  EXPECT_EQ(file_close(25), 0);
  EXPECT_EQ(file_close(20), 0);
  EXPECT_EQ(file_open(name("F0"), 0), 20);
  EXPECT_EQ(file_open(name("F0"), 0), 25);
  EXPECT_EQ(file_open(name("F0"), 0), kNoHandleLeft);
}

TEST_F(HostFiles, HandlesOutOfRangeOrNotOpenAreInvalid) {
  make_file("A", "abc");
  ASSERT_EQ(file_open(name("A"), 0), 16);
  ASSERT_EQ(file_close(16), 0);
  // 0 to 5 are standard handles and -1 to -3 (0xFFFF to 0xFFFD) devices.
  for (uint32_t h : {6u, 15u, 16u, 31u, 32u, 0x8000u, 0xFFFCu}) {
    EXPECT_EQ(file_close(h), kInvalidHandle) << h;
    EXPECT_EQ(file_read(h, 1, kBuffer), kInvalidHandle) << h;
    EXPECT_EQ(file_write(h, 1, kBuffer), kInvalidHandle) << h;
  }
}

TEST_F(HostFiles, FseekOnAHandleNotOpenAnswersInvalidHandle) {
  for (uint32_t h : {6u, 15u, 16u, 31u, 32u, 0xFFFCu})
    EXPECT_EQ(file_seek(0, h, 0), kInvalidHandle) << h;
}

// --- read and write ----------------------------------------------------------

struct ReadCase {
  uint32_t buffer;
  size_t file_size;
  int32_t count, result;
};

class HostRead : public HostFiles, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(HostRead, CopiesWhatTheFileHoldsAndNoMore) {
  const ReadCase& c = GetParam();
  const std::string content = pattern(c.file_size), guard(8, '\xEE');
  make_file("DATA", content);
  ASSERT_EQ(file_open(name("DATA"), 0), 16);
  put_guest(c.buffer + c.result, guard);
  EXPECT_EQ(file_read(16, c.count, c.buffer), c.result);
  EXPECT_EQ(guest(c.buffer, c.result), content.substr(0, c.result));
  EXPECT_EQ(guest(c.buffer + c.result, 8), guard);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HostRead,
                         ::testing::Values(ReadCase{kBuffer, 1000, 1300, 1000},
                                           ReadCase{kBuffer, 1000, 513, 513},
                                           ReadCase{kBuffer, 3000, 2999, 2999},
                                           ReadCase{kBuffer, 0, 10, 0}, ReadCase{kBuffer, 10, 0, 0},
                                           ReadCase{kBuffer, 10, -5, 0},
                                           ReadCase{0x01FFFFFE, 600, 600, 600}));

class HostWrite : public HostFiles, public ::testing::WithParamInterface<int32_t> {};

TEST_P(HostWrite, HandsEveryByteToTheFile) {
  const std::string content = pattern(GetParam() > 0 ? GetParam() : 0);
  put_guest(kBuffer, content);
  ASSERT_EQ(file_create(name("OUT")), 16);
  EXPECT_EQ(file_write(16, GetParam(), kBuffer), static_cast<int32_t>(content.size()));
  ASSERT_EQ(file_close(16), 0);
  EXPECT_EQ(file_text("OUT"), content);
}

INSTANTIATE_TEST_SUITE_P(Counts, HostWrite, ::testing::Values(0, -1, 1, 512, 513, 1300));

// The answer is what the host took, and a short host write ends the transfer.
// Through a handle that only reads (the file is read-only) nothing is taken.
TEST_F(HostFiles, FwriteAnswersTheBytesTheHostAccepted) {
  make_file("RO", "abc");
  std::filesystem::permissions("RO", std::filesystem::perms::owner_read);
  ASSERT_EQ(file_open(name("RO"), 0), 16);
  EXPECT_EQ(file_write(16, 1300, kBuffer), kAccessDenied);
  EXPECT_EQ(file_text("RO"), "abc");
  if (!std::filesystem::exists("/dev/full")) return;
  ASSERT_EQ(file_create(name("/dev/full")), 17);
  EXPECT_LT(file_write(17, 64 * 1024, kBuffer), 64 * 1024);
}

TEST_F(HostFiles, UpdateStreamSwitchesBetweenWritingAndReading) {
  make_file("U", "abcdef");
  ASSERT_EQ(file_open(name("U"), 2), 16);
  put_guest(kBuffer, "XY");
  EXPECT_EQ(file_write(16, 2, kBuffer), 2);
  EXPECT_EQ(file_read(16, 2, kBuffer + 16), 2);
  EXPECT_EQ(guest(kBuffer + 16, 2), "cd");
  EXPECT_EQ(file_write(16, 1, kBuffer), 1);
  EXPECT_EQ(file_close(16), 0);
  EXPECT_EQ(file_text("U"), "XYcdXf");
}

// Handles 1 and 2 print and answer the count; a negative count prints
// nothing rather than being taken as a length of up to 4 GB. More than the
// bounce buffer at once, and a buffer at the top of the address space, whose
// bytes wrap to address 0.
TEST(ConsoleWrite, PrintsTheBytesAndAnswersTheCount) {
  machine::clear_memory();
  put_guest(kBuffer, std::string("Hello\0tail", 10));
  const std::string long_text = pattern(1500);
  put_guest(0x40000, long_text);
  put_guest(0xFFFFFD, "topbottom");
  const struct {
    uint32_t handle;
    int32_t count;
    uint32_t buffer;
    std::string output;
  } rows[] = {{1, 5, kBuffer, "Hello"},      {2, 10, kBuffer, std::string("Hello\0tail", 10)},
              {1, 1500, 0x40000, long_text}, {1, 9, 0xFFFFFD, "topbottom"},
              {1, 0, kBuffer, ""},           {1, -1, kBuffer, ""},
              {2, INT32_MIN, kBuffer, ""}};
  for (const auto& r : rows) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(file_write(r.handle, r.count, r.buffer), r.count < 0 ? 0 : r.count);
    EXPECT_TRUE(testing::internal::GetCapturedStdout() == r.output) << r.count;
  }
}

// Fuzzing found Fwrite(1, 1 GB) busy for minutes: the console write went a
// byte at a time. Now it goes a BounceBuffer at a time; every byte must still
// come out in order, across chunk edges and round the top of memory.
TEST(ConsoleWrite, HugeCountGoesOutInChunksWithEveryByte) {
  machine::clear_memory();
  const uint32_t start = 0xFFFF00;
  const std::string memory = pattern(machine::kMemorySize);
  put_guest(0, memory);
  for (int32_t count : {511, 512, 513, 1300, 0x01000000 + 700}) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    EXPECT_EQ(file_write(1, count, start), count);
    std::fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(out.size(), static_cast<size_t>(count));
    for (size_t i = 0; i < out.size(); i += 97) {
      const uint32_t at = (start + static_cast<uint32_t>(i)) & machine::kAddressMask;
      ASSERT_EQ(out[i], memory[at]) << count << " +" << i;
    }
    EXPECT_EQ(out.back(), memory[(start + count - 1) & machine::kAddressMask]) << count;
  }
}

// One process that runs program after program (the fuzz targets) resets the
// OS state between them: what the last one left open is written out, and
// its handles are free again.
TEST_F(HostFiles, ResetOsStateClosesWhatTheLastProgramLeftOpen) {
  ASSERT_EQ(file_create(name("A")), 16);
  ASSERT_EQ(file_create(name("B")), 17);
  put_guest(kBuffer, "data");
  ASSERT_EQ(file_write(17, 4, kBuffer), 4);
  malloc_state.next = 0x20000;
  reset_os_state();
  EXPECT_EQ(file_text("B"), "data");
  EXPECT_EQ(file_write(17, 4, kBuffer), kInvalidHandle);
  EXPECT_EQ(file_create(name("C")), 16);
  EXPECT_EQ(malloc_state.next, 0u);
}

// --- seek ----------------------------------------------------------------------

struct SeekCase {
  int32_t offset, mode, position;
};

class HostSeek : public HostFiles, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(HostSeek, AnswersTheNewPositionAndReadsFromThere) {
  const std::string content = pattern(100);
  make_file("S", content);
  ASSERT_EQ(file_open(name("S"), 0), 16);
  ASSERT_EQ(file_read(16, 5, kBuffer), 5);
  const int32_t at = GetParam().position;
  EXPECT_EQ(file_seek(GetParam().offset, 16, GetParam().mode), at);
  EXPECT_EQ(file_read(16, 4, kBuffer), std::max(0, std::min(4, 100 - at)));
  if (at < 100) {
    EXPECT_EQ(guest(kBuffer, 1), content.substr(at, 1));
  }
}

INSTANTIATE_TEST_SUITE_P(Origins, HostSeek,
                         ::testing::Values(SeekCase{10, 0, 10}, SeekCase{7, 1, 12},
                                           SeekCase{-10, 2, 90}, SeekCase{50, 2, 150},
                                           SeekCase{-1, 0, 5},  // before the start: refused
                                           SeekCase{10, 3, 5},  // no such origin
                                           SeekCase{10, -1, 5}));

// --- standard handles: Fforce and Fdup ----------------------------------------

// A stream shared by several handles is closed with the last of them, in any
// order, and what went through each handle lands in the file in order.
TEST_F(HostFiles, SharedStreamClosesWithTheLastHandle) {
  const struct {
    const char* label;
    uint32_t first_close, second_close;
  } orders[] = {{"FileHandleFirst", 16, 1}, {"StandardHandleFirst", 1, 16}};
  for (const auto& order : orders) {
    reset_host_files();
    ASSERT_EQ(file_create(name("OUT")), 16) << order.label;
    ASSERT_EQ(file_force(1, 16), 0);
    EXPECT_NE(find_open_file(1), nullptr);  // no longer the console
    put_guest(kBuffer, "abcdef");
    EXPECT_EQ(file_write(1, 3, kBuffer), 3);
    EXPECT_EQ(file_write(16, 3, kBuffer + 3), 3);
    EXPECT_EQ(file_close(order.first_close), 0);
    EXPECT_EQ(file_write(order.second_close, 2, kBuffer), 2);
    EXPECT_EQ(file_close(order.second_close), 0);
    EXPECT_EQ(file_text("OUT"), "abcdefab") << order.label;
    EXPECT_EQ(file_close(16), kInvalidHandle);
    EXPECT_EQ(file_close(1), 0);  // the console again: closing it is a no-op
    EXPECT_EQ(resolve_handle(1).device, CharDevice::kConsole);
  }
}

TEST_F(HostFiles, FdupOfTheConsoleWritesToTheConsole) {
  const int32_t dup = file_dup(1);
  ASSERT_EQ(dup, 16);
  EXPECT_EQ(resolve_handle(16).device, CharDevice::kConsole);
  EXPECT_EQ(find_open_file(16), nullptr);  // no stream behind it
  EXPECT_EQ(file_seek(5, 16, 0), 0);       // a device has no position
  put_guest(kBuffer, "hi");
  testing::internal::CaptureStdout();
  file_write(16, 2, kBuffer);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "hi");
  // Forcing 1 to a file and back through the duplicate restores the console.
  make_file("F", "");
  ASSERT_EQ(file_open(name("F"), 2), 17);
  EXPECT_EQ(file_force(1, 17), 0);
  EXPECT_EQ(file_force(1, 16), 0);
  EXPECT_EQ(resolve_handle(1).device, CharDevice::kConsole);
  EXPECT_FALSE(forced_handles[1].in_use);
  EXPECT_EQ(file_close(16), 0);
  EXPECT_EQ(file_close(17), 0);
}

TEST_F(HostFiles, ForcedReadAndFdupShareThePosition) {
  make_file("IN", "0123456789");
  ASSERT_EQ(file_open(name("IN"), 0), 16);
  ASSERT_EQ(file_force(0, 16), 0);
  ASSERT_EQ(file_force(3, 0), 0);  // a standard handle takes another's file
  EXPECT_EQ(file_read(0, 2, kBuffer), 2);
  EXPECT_EQ(file_read(3, 2, kBuffer + 2), 2);
  EXPECT_EQ(file_dup(0), 17);
  EXPECT_EQ(file_read(17, 2, kBuffer + 4), 2);
  EXPECT_EQ(file_seek(0, 3, 1), 6);
  EXPECT_EQ(guest(kBuffer, 6), "012345");
  // not a standard handle, or nothing open to point it at
  const struct {
    uint32_t standard, other;
  } refused[] = {{6, 16}, {0, 6}, {0, 18}, {0xFFFF, 16}, {1, 0x10000}};
  for (const auto& r : refused)
    EXPECT_EQ(file_force(r.standard, r.other), kInvalidHandle) << r.standard << " " << r.other;
  for (uint32_t h : {0u, 3u, 16u, 17u}) EXPECT_EQ(file_close(h), 0) << h;
  EXPECT_EQ(file_dup(6), kInvalidHandle);
}

// --- character devices ---------------------------------------------------------

// A device takes no slot: its name opens with every slot in use, and only a
// duplicate of it needs one.
TEST_F(HostFiles, DevicesNeedNoSlot) {
  for (int i = 0; i < 16; ++i) {
    char file[8];
    std::snprintf(file, sizeof file, "F%d", i);
    ASSERT_EQ(file_create(name(file)), 16 + i);
  }
  EXPECT_EQ(file_open(name("CON:"), 0), -1);
  EXPECT_EQ(file_create(name("C:prn:")), -3);
  EXPECT_EQ(file_dup(0xFFFE), kNoHandleLeft);
  EXPECT_FALSE(std::filesystem::exists("prn:"));
  EXPECT_EQ(file_close(0xFFFF), 0);
  EXPECT_EQ(file_seek(0, 0xFFFD, 1), 0);
}

// A standard handle forced to a duplicate of AUX: stays AUX: when the
// duplicate closes, and a child's duplicate of a device closes with the child.
TEST_F(HostFiles, DeviceDuplicatesBehaveAsTheirDevice) {
  ASSERT_EQ(file_dup(0xFFFE), 16);
  ASSERT_EQ(file_force(1, 16), 0);
  EXPECT_EQ(file_close(16), 0);
  EXPECT_EQ(resolve_handle(1).device, CharDevice::kAux);
  EXPECT_EQ(resolve_handle(16).device, CharDevice::kNone);
  EXPECT_EQ(file_force(1, 0xFFFF), 0);
  EXPECT_FALSE(forced_handles[1].in_use);  // the console is no redirection
  set_file_owner(1);
  ASSERT_EQ(file_dup(0xFFFD), 16);
  EXPECT_EQ(resolve_handle(16).device, CharDevice::kPrinter);
  close_files_owned_by(1);
  set_file_owner(0);
  EXPECT_EQ(file_close(16), kInvalidHandle);
}

}  // namespace
