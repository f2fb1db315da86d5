// GEMDOS calls through the dispatcher: a parameter block in guest memory,
// the call, then D0 and the effects.
#include "oscalls/gemdos.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"
#include "machine/os_rom_symbols.h"
#include "machine/run_state.h"
#include "oscall_test_support.h"
#include "oscalls/date_time.h"
#include "oscalls/host_files.h"
#include "oscalls/malloc_calls.h"

namespace {

using machine::peek16;
using machine::peek32;
using machine::poke16;
using machine::poke32;

using namespace oscalltest;

constexpr uint32_t kKeep = 0xDEADBEEF;  // D0 before the call
constexpr uint32_t kTop = 0xFE0000;
constexpr uint32_t kInvalid = 0xFFFFFFE0;

class Gemdos : public ::testing::Test {
 protected:
  void SetUp() override {
    cputest::reset_machine();
    machine::exit_code = 0;
    oscalls::malloc_state.next = 0x20000;
    poke32(machine::kMemoryTopVariable, kTop);
    m68k::set_register(m68k::kD0, kKeep);
    machine::write_guest_string(0x7000, "Hi!\r\n\x1A");
    machine::write_guest_string(0xFFFFFE, "abc");  // wraps to address 0
  }

  static std::string call(const Block& block, uint32_t params = kParams) {
    return call_with(oscalls::gemdos_dispatch, block, params);
  }
};

struct CallCase {
  const char* label;
  Block block;
  uint32_t d0;
  const char* output;
};

class GemdosCall : public Gemdos, public ::testing::WithParamInterface<CallCase> {};

TEST_P(GemdosCall, AnswersAndPrints) {
  EXPECT_EQ(call(GetParam().block), GetParam().output);
  EXPECT_EQ(d0(), GetParam().d0);
  EXPECT_EQ(machine::quit_flag, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, GemdosCall,
    ::testing::Values(CallCase{"Cauxis", {W(0x12)}, 0, ""}, CallCase{"Dgetdrv", {W(0x19)}, 2, ""},
                      CallCase{"FattribRead", {W(0x43), L(0x7000), W(0), W(0x20)}, 0xFFFFFFDF, ""},
                      CallCase{"FattribWrite", {W(0x43), L(0x7000), W(1), W(0x20)}, 0xFFFFFFDF, ""},
                      CallCase{"FforceToAHandleNotOpen", {W(0x46), W(2), W(16)}, 0xFFFFFFDB, ""},
                      CallCase{"FforceToItself", {W(0x46), W(1), W(1)}, 0, ""},
                      CallCase{"FdupOfAFileHandle", {W(0x45), W(16)}, 0xFFFFFFDB, ""},
                      CallCase{"FsnextWithoutSearch", {W(0x4F)}, 0xFFFFFFCF, ""},
                      CallCase{"DsetdrvAnswersTheDriveBitmap", {W(0x0E), W(0)}, 4, ""},
                      CallCase{"Fforce3", {W(0x46), W(3), W(16)}, 0xFFFFFFDB, ""},
                      CallCase{"Mfree", {W(0x49), L(0x30000)}, 0, ""},
                      CallCase{"SsystemIsSilent", {W(0x154)}, kInvalid, ""},
                      CallCase{"Cconws", {W(0x09), L(0x7000)}, kKeep, "Hi!\r\n\x1A"},
                      CallCase{"CconwsEmpty", {W(0x09), L(0x7010)}, kKeep, ""},
                      CallCase{"CconwsWrapsAtTop", {W(0x09), L(0x01FFFFFE)}, kKeep, "abc"},
                      CallCase{"UnhandledNamed",
                               {W(0x15)},
                               kInvalid,
                               "UNHANDLED GEMDOS CALL 0015 Srealloc                       \n"},
                      CallCase{"UnhandledLastClassicNumber",
                               {W(0xFF)},
                               kInvalid,
                               "UNHANDLED GEMDOS CALL 00ff Syield                         \n"},
                      // Calls of later OS versions answer quietly, named or not.
                      CallCase{"LaterOsFirstNumberQuiet", {W(0x100)}, kInvalid, ""},
                      CallCase{"LaterOsGetuidQuiet", {W(0x10F)}, kInvalid, ""},
                      CallCase{"LaterOsWithoutNameQuiet", {W(0x184)}, kInvalid, ""},
                      CallCase{"LaterOsHighestNumberQuiet", {W(0xFFFF)}, kInvalid, ""},
                      CallCase{
                          "UnhandledNoName", {W(0x50)}, kInvalid, "UNHANDLED GEMDOS CALL 0050 \n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Gemdos, PtermStopsTheRunWithItsCodeAndPterm0KeepsTheCode) {
  struct {
    Block block;
    uint32_t exit_code;
  } const rows[] = {{{W(0x00)}, 7}, {{W(0x4C), W(3)}, 3}, {{W(0x4C), W(0xFFFF)}, 65535}};
  for (const auto& r : rows) {
    machine::quit_flag = 0;
    machine::exit_code = 7;
    m68k::cycle_budget = 1000;
    call(r.block);
    EXPECT_EQ(machine::exit_code, r.exit_code);
    EXPECT_EQ(machine::quit_flag, 1u);
    EXPECT_EQ(m68k::cycle_budget, 0);
    EXPECT_EQ(d0(), kKeep);
  }
}

TEST_F(Gemdos, FsetdtaIsReturnedByFgetdta) {
  call({W(0x1A), L(0x00123456)});
  EXPECT_EQ(d0(), kKeep);
  call({W(0x2F)});
  EXPECT_EQ(d0(), 0x00123456u);
}

// --- Malloc and Mshrink ----------------------------------------------------

struct MallocCase {
  const char* label;
  uint32_t next, size, d0, next_after;
};

class GemdosMalloc : public Gemdos, public ::testing::WithParamInterface<MallocCase> {};

TEST_P(GemdosMalloc, BumpsBelowTheMemoryTop) {
  oscalls::malloc_state.next = GetParam().next;
  call({W(0x48), L(GetParam().size)});
  EXPECT_EQ(d0(), GetParam().d0);
  EXPECT_EQ(oscalls::malloc_state.next, GetParam().next_after);
}

auto malloc_label = [](const auto& info) { return std::string(info.param.label); };

INSTANTIATE_TEST_SUITE_P(
    Requests, GemdosMalloc,
    ::testing::Values(MallocCase{"FreeQuery", 0x20000, 0xFFFFFFFF, 0xFC0000, 0x20000},
                      MallocCase{"Block", 0x20000, 0x100, 0x20000, 0x20100},
                      MallocCase{"OddSizeLeavesNextOdd", 0x20000, 3, 0x20000, 0x20003},
                      MallocCase{"EndJustBelowTop", 0x20000, 0xFBFFFF, 0x20000, 0xFDFFFF},
                      MallocCase{"EndAtTopIsGranted", 0x20000, 0xFC0000, 0x20000, 0xFE0000},
                      MallocCase{"EndPastTopFails", 0x20000, 0xFC0001, 0, 0x20000}),
    malloc_label);

// An archiver sized its buffer with Malloc(-1) and then asked for that much:
// the answer was one block too generous and the Malloc failed. Whatever the
// next address (odd after an odd size, just below the top, in a child whose
// memory ends below the top), the free size is granted whole, and then
// nothing is left.
TEST_F(Gemdos, FreeQueryAnsweredMoreThanMallocGranted) {
  const struct {
    uint32_t next, limit;
  } rows[] = {{0x20000, 0}, {0x20003, 0}, {kTop - 1, 0}, {0x30000, 0x80000}};
  for (const auto& r : rows) {
    oscalls::malloc_state.next = r.next;
    oscalls::malloc_state.limit = r.limit;
    call({W(0x48), L(0xFFFFFFFF)});
    const uint32_t free_size = d0();
    call({W(0x48), L(free_size)});
    EXPECT_EQ(d0(), r.next) << std::hex << r.next;
    call({W(0x48), L(0xFFFFFFFF)});
    EXPECT_EQ(d0(), 0u) << std::hex << r.next;
    call({W(0x48), L(1)});
    EXPECT_EQ(d0(), 0u) << std::hex << r.next;
  }
  oscalls::malloc_state.limit = 0;
}

// Sizes are unsigned: what would wrap in 32 bits or count as negative
// reaches past the top, fails, and leaves MallocNext where it was.
INSTANTIATE_TEST_SUITE_P(SizeIsUnsignedAndNeverWrapsPastTheTop, GemdosMalloc,
                         ::testing::Values(MallocCase{"Minus16", 0x20000, 0xFFFFFFF0, 0, 0x20000},
                                           MallocCase{"Max31Bit", 0x20000, 0x7FFFFFFF, 0, 0x20000},
                                           MallocCase{"WrapsToBelowNext", 0x20000, 0xFFFFFFFE, 0,
                                                      0x20000}),
                         malloc_label);

INSTANTIATE_TEST_SUITE_P(
    FreeQueryAnswersZeroWhenNextIsAboveTheTop, GemdosMalloc,
    ::testing::Values(MallocCase{"NextAtTop", kTop, 0xFFFFFFFF, 0, kTop},
                      MallocCase{"NextAboveTop", 0xFFFFFF00, 0xFFFFFFFF, 0, 0xFFFFFF00},
                      MallocCase{"BlockAboveTop", 0xFFFFFF00, 1, 0, 0xFFFFFF00},
                      MallocCase{"EmptyBlockAtTop", kTop, 0, 0, kTop}),
    malloc_label);

TEST_F(Gemdos, MshrinkMovesNextToBlockPlusSize) {
  call({W(0x4A), W(0), L(0xFFFFFF00), L(0x200)});
  EXPECT_EQ(oscalls::malloc_state.next, 0x100u);
  EXPECT_EQ(d0(), 0u);
  call({W(0x4A), W(0), L(0x40000), L(0x1234)});
  call({W(0x48), L(4)});
  EXPECT_EQ(d0(), 0x41234u);
}

// --- Clock -------------------------------------------------------------------

TEST(GemdosClock, PacksDateAndTime) {
  struct {
    int year, month, day, hour, minute, second;
    int32_t date, time;
  } const rows[] = {{2024, 3, 15, 13, 45, 59, 0x586F, 0x6DBD},
                    {1980, 1, 1, 0, 0, 1, 0x0021, 0x0000},
                    {2107, 12, 31, 23, 59, 58, 0xFF9F, 0xBF7D},
                    {1979, 12, 31, 12, 0, 2, -512 + 12 * 32 + 31, 0x6001}};
  for (const auto& r : rows) {
    std::tm t{};
    t.tm_year = r.year - 1900;
    t.tm_mon = r.month - 1;
    t.tm_mday = r.day;
    t.tm_hour = r.hour;
    t.tm_min = r.minute;
    t.tm_sec = r.second;
    EXPECT_EQ(oscalls::pack_gemdos_date(t), r.date) << r.year;
    EXPECT_EQ(oscalls::pack_gemdos_time(t), r.time) << r.hour;
  }
}

TEST_F(Gemdos, TgetdateAndTgettimeAnswerTheHostLocalTime) {
  struct {
    uint32_t number;
    int32_t (*pack)(const std::tm&);
  } const rows[] = {{0x2A, oscalls::pack_gemdos_date}, {0x2C, oscalls::pack_gemdos_time}};
  for (const auto& r : rows) {
    const std::time_t before = std::time(nullptr);
    call({W(r.number)});
    const std::time_t after = std::time(nullptr);
    const auto packed = [&](std::time_t t) { return uint32_t(r.pack(*std::localtime(&t))); };
    EXPECT_TRUE(d0() == packed(before) || d0() == packed(after)) << std::hex << d0();
  }
}

// --- Super -------------------------------------------------------------------

constexpr uint32_t kFrame = 0x7FFA;  // ISP inside the stub
constexpr uint32_t kUsp = 0x5000;    // USP at the TRAP
constexpr uint32_t kStackedPc = 0x1234;

struct SuperCase {
  const char* label;
  uint32_t stacked_sr, stack, params;
  uint32_t d0, isp, usp;
  uint32_t frame_at, frame_sr;  // the frame the stub's RTE will take
};

class GemdosSuper : public Gemdos, public ::testing::WithParamInterface<SuperCase> {};

TEST_P(GemdosSuper, SetsUpTheFrameTheStubReturnsThrough) {
  const SuperCase& c = GetParam();
  m68k::set_register(m68k::kISP, kFrame);
  m68k::set_register(m68k::kUSP, kUsp);
  poke16(kFrame, c.stacked_sr);
  poke32(kFrame + 2, kStackedPc);
  call({W(0x20), L(c.stack)}, c.params);
  EXPECT_EQ(d0(), c.d0);
  EXPECT_EQ(m68k::get_register(nullptr, m68k::kISP), c.isp);
  EXPECT_EQ(m68k::get_register(nullptr, m68k::kUSP), c.usp);
  EXPECT_EQ(peek16(c.frame_at), c.frame_sr);
  EXPECT_EQ(peek32(c.frame_at + 2), kStackedPc);
}

INSTANTIATE_TEST_SUITE_P(Cases, GemdosSuper,
                         ::testing::Values(SuperCase{"InquiryFromUser", 0x0015, 1, kUsp, 0, kFrame,
                                                     kUsp, kFrame, 0x0015},
                                           SuperCase{"InquiryFromSupervisor", 0x2715, 1, kFrame + 6,
                                                     0xFFFFFFFF, kFrame, kUsp, kFrame, 0x2715},
                                           SuperCase{"UserKeepsItsStack", 0x0011, 0, kUsp, kFrame,
                                                     kUsp - 6, kUsp, kUsp - 6, 0x2011},
                                           SuperCase{"UserGivesAStack", 0x0011, 0x50000, kUsp,
                                                     kFrame, 0x4FFFA, kUsp, 0x4FFFA, 0x2011},
                                           SuperCase{"SupervisorToUser", 0x2715, 0, kFrame + 6,
                                                     kKeep, kFrame, kFrame + 6, kFrame, 0x0715}),
                         [](const auto& info) { return std::string(info.param.label); });

// Back in user mode the program's stack goes on where it was before its
// TRAP: nothing is copied below the old user stack pointer.
INSTANTIATE_TEST_SUITE_P(ReturnToUserModeKeepsTheCallersStack, GemdosSuper,
                         ::testing::Values(SuperCase{"RestoresStack", 0x2704, 0x9000, kFrame + 6,
                                                     kKeep, 0x8FFA, kFrame + 6, 0x8FFA, 0x0704}),
                         [](const auto& info) { return std::string(info.param.label); });

// The real TRAP and RTE around the dispatcher, as the ROM stub runs them.
TEST_F(Gemdos, SuperRoundTripReturnsToUserModeOnTheSameStacks) {
  constexpr uint32_t kStub = 0x2000;
  poke32(0x84, kStub);                   // vector 33
  poke16(kStub, 0x4E73);                 // RTE
  cputest::load_code({0x4E41, 0x4E41});  // TRAP #1, TRAP #1
  m68k::sr_write(0x0000);                // user mode on the user stack
  const uint32_t ssp = m68k::get_register(nullptr, m68k::kISP);
  const uint32_t user_sp = m68k::areg(7);
  const auto trap_super = [](uint32_t stack) {
    m68k::areg(7) -= 6;
    poke16(m68k::areg(7), 0x20);
    poke32(m68k::areg(7) + 2, stack);
    cputest::step();  // TRAP #1
    const uint32_t sp = m68k::areg(7);
    oscalls::gemdos_dispatch((peek16(sp) & 0x2000) ? sp + 6
                                                   : m68k::get_register(nullptr, m68k::kUSP));
    cputest::step();     // RTE
    m68k::areg(7) += 6;  // the caller drops its parameters
  };

  trap_super(0);
  EXPECT_TRUE(m68k::sr_build() & 0x2000);
  EXPECT_EQ(m68k::areg(7), user_sp);
  EXPECT_EQ(d0(), ssp - 6);
  trap_super(d0());
  EXPECT_FALSE(m68k::sr_build() & 0x2000);
  EXPECT_EQ(m68k::cpu.pc, cputest::kCodeAddress + 4);
  EXPECT_EQ(m68k::get_register(nullptr, m68k::kISP), ssp - 6);
  EXPECT_EQ(m68k::areg(7), user_sp);
}

// --- File calls: parameter layouts ------------------------------------------

TEST_F(Gemdos, FileCallsReadTheirParametersInOrder) {
  char dir[] = "/tmp/vellum-gemdos-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::filesystem::path home = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  machine::write_guest_string(0x7100, "C:DATA.BIN");

  const struct {
    Block block;
    uint32_t d0;
  } steps[] = {
      {{W(0x3C), L(0x7100), W(0)}, 16},            // Fcreate
      {{W(0x40), W(16), L(6), L(0x7000)}, 6},      // Fwrite
      {{W(0x3E), W(16)}, 0},                       // Fclose
      {{W(0x3D), L(0x7100), W(0)}, 16},            // Fopen read-only
      {{W(0x42), L(0xFFFFFFFD), W(16), W(2)}, 3},  // Fseek -3 from the end
      {{W(0x3F), W(16), L(100), L(0x7200)}, 3},    // Fread
      {{W(0x3E), W(16)}, 0},                       //
      {{W(0x47), L(0x7300), W(1)}, 0xFFFFFFD2},    // Dgetpath, drive A
      {{W(0x47), L(0x7300), W(0)}, 0},             // Dgetpath, current drive
  };
  for (const auto& s : steps) {
    call(s.block);
    EXPECT_EQ(d0(), s.d0) << std::hex << s.block[0].value;
  }
  EXPECT_EQ(peek32(0x7200) >> 8, 0x0D0A1Au);
  char got[256];
  machine::read_guest_string(got, sizeof got, 0x7300);
  std::string host(got);
  std::replace(host.begin(), host.end(), '\\', '/');
  EXPECT_EQ(std::filesystem::path(host), std::filesystem::current_path());

  for (oscalls::HostFileSlot& slot : oscalls::host_files)
    if (slot.in_use) std::fclose(slot.stream);
  oscalls::reset_host_files();
  std::filesystem::current_path(home);
  std::filesystem::remove_all(dir);
}

}  // namespace
