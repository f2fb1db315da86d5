// BIOS and XBIOS calls through their dispatchers, and the AES/VDI line.
#include "oscalls/bios_xbios.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu_test_support.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "oscall_test_support.h"
#include "oscalls/date_time.h"
#include "oscalls/name_tables.h"

namespace {

using machine::peek16;
using machine::peek32;
using machine::poke16;
using machine::poke32;

using namespace oscalltest;

constexpr uint32_t kUntouchedD0 = 0xDEADBEEF;

class BiosXbios : public ::testing::Test {
 protected:
  void SetUp() override {
    cputest::reset_machine();
    m68k::set_register(m68k::kD0, kUntouchedD0);
  }

  // The function number, then the parameters.
  static std::string run(void (*dispatch)(uint32_t), uint32_t number, const Block& params = {}) {
    Block block{W(number)};
    block.insert(block.end(), params.begin(), params.end());
    return call_with(dispatch, block);
  }
};

TEST_F(BiosXbios, TickcalAnswersTwentyMilliseconds) {
  EXPECT_EQ(run(oscalls::bios_dispatch, 6), "");
  EXPECT_EQ(d0(), 20u);
}

// Bconout: console (2), raw console (5), printer (0) and auxiliary (1) print;
// MIDI (3), keyboard processor (4) and unknown devices drop the character.
// Only the low byte of the character word counts. Bcostat: always ready.
TEST_F(BiosXbios, ConsoleDevicesPrintAndAreAlwaysReady) {
  std::string printed;
  for (uint32_t device = 0; device <= 7; ++device) {
    m68k::set_register(m68k::kD0, kUntouchedD0);
    printed += run(oscalls::bios_dispatch, 3, {W(device), W(0x100 + 'a' + device)});
    EXPECT_EQ(d0(), kUntouchedD0);
    EXPECT_EQ(run(oscalls::bios_dispatch, 8, {W(device)}), "");
    EXPECT_EQ(d0(), 0xFFFFFFFFu) << device;
  }
  EXPECT_EQ(printed, "abcf");
}

// One long: the GEMDOS date in the high word, the time in the low one, from
// the host's local clock (read around the call, in case a second passes).
TEST_F(BiosXbios, GettimePacksTheLocalDateAboveTheTime) {
  auto packed = [] {
    const std::time_t now = std::time(nullptr);
    const std::tm t = *std::localtime(&now);
    return static_cast<uint32_t>(oscalls::pack_gemdos_date(t)) << 16 |
           static_cast<uint32_t>(oscalls::pack_gemdos_time(t));
  };
  const uint32_t before = packed();
  EXPECT_EQ(run(oscalls::xbios_dispatch, 0x17), "");
  const uint32_t got = d0();
  const uint32_t after = packed();
  EXPECT_TRUE(got == before || got == after) << std::hex << got << " " << before;
  EXPECT_GE(got >> 25, 2024u - 1980);
}

struct SetexcCase {
  const char* label;
  uint32_t vector;
  uint32_t new_value;
  uint32_t stored_after;
};

class Setexc : public BiosXbios, public ::testing::WithParamInterface<SetexcCase> {};

TEST_P(Setexc, AnswersTheOldVectorAndStoresTheNewOne) {
  const uint32_t address = GetParam().vector * 4;
  poke32(address, 0x00FE0142);
  EXPECT_EQ(run(oscalls::bios_dispatch, 5, {{GetParam().vector, 2}, {GetParam().new_value, 4}}),
            "");
  EXPECT_EQ(d0(), 0x00FE0142u);
  EXPECT_EQ(peek32(address), GetParam().stored_after);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Setexc,
    ::testing::Values(SetexcCase{"QueryOnly", 0x45, 0xFFFFFFFF, 0x00FE0142},
                      SetexcCase{"Replace", 0x45, 0x00012345, 0x00012345},
                      SetexcCase{"ZeroIsAValue", 0x02, 0, 0},
                      SetexcCase{"HighestVector", 0xFFFF, 0xCAFEF00D, 0xCAFEF00D},
                      SetexcCase{"MinusTwoIsAValue", 0x20, 0xFFFFFFFE, 0xFFFFFFFE}),
    [](const auto& info) { return std::string(info.param.label); });

struct UnhandledCase {
  bool xbios;
  uint32_t number;
  const char* output;
};

class Unhandled : public BiosXbios, public ::testing::WithParamInterface<UnhandledCase> {};

TEST_P(Unhandled, PrintsTheCallAndAnswersInvalidFunction) {
  auto dispatch = GetParam().xbios ? oscalls::xbios_dispatch : oscalls::bios_dispatch;
  EXPECT_EQ(run(dispatch, GetParam().number), GetParam().output);
  EXPECT_EQ(d0(), 0xFFFFFFE0u);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, Unhandled,
    ::testing::Values(
        UnhandledCase{false, 0x0004, "UNHANDLED BIOS CALL 0004 Rwabs                          \n"},
        UnhandledCase{false, 0x0000, "UNHANDLED BIOS CALL 0000 Getmpb                         \n"},
        UnhandledCase{false, 0x0009, "UNHANDLED BIOS CALL 0009 Mediach                        \n"},
        UnhandledCase{false, 0x000C, "UNHANDLED BIOS CALL 000c \n"},
        UnhandledCase{true, 0x0005, "UNHANDLED XBIOS CALL 0005 Setscreen                      \n"},
        UnhandledCase{true, 0x0028, "UNHANDLED XBIOS CALL 0028 \n"},
        UnhandledCase{true, 0x0071, "UNHANDLED XBIOS CALL 0071 Dsp_RequestUniqueAbility       \n"},
        UnhandledCase{true, 0x0096, "UNHANDLED XBIOS CALL 0096 VsetMask                       \n"},
        UnhandledCase{true, 0x0001, "UNHANDLED XBIOS CALL 0001 Ssbrk                          \n"},
        UnhandledCase{true, 0xABCD, "UNHANDLED XBIOS CALL abcd \n"}));

// --- Supexec ---------------------------------------------------------------

constexpr uint32_t kStub = 0x2000;  // the stub's TRAP-#14 handler: RTE
constexpr uint32_t kRoutine = 0x3000;

TEST_F(BiosXbios, SupexecPushesTheStubsReturnAndJumpsToTheRoutine) {
  m68k::areg(7) = 0x7FFA;
  m68k::cpu.pc = kStub + 4;
  EXPECT_EQ(run(oscalls::xbios_dispatch, 0x26, {{kRoutine, 4}}), "");
  EXPECT_EQ(m68k::areg(7), 0x7FF6u);
  EXPECT_EQ(peek32(0x7FF6), kStub + 4);
  EXPECT_EQ(m68k::cpu.pc, kRoutine);
  EXPECT_EQ(d0(), kUntouchedD0);
  EXPECT_TRUE(m68k::sr_build() & 0x2000);
}

// TRAP #14 from user mode, the routine (D0 := 5, RTS), then the stub's RTE:
// the program is back in user mode after its TRAP with the routine's D0.
TEST_F(BiosXbios, SupexecRoutineResultReachesTheCaller) {
  poke32(0xB8, kStub);           // vector 46
  poke16(kStub, 0x4E73);         // RTE
  cputest::load_code({0x4E4E});  // TRAP #14
  m68k::sr_write(0x0000);
  const uint32_t user_sp = m68k::areg(7) - 6;
  m68k::areg(7) = user_sp;
  poke16(user_sp, 0x26);
  poke32(user_sp + 2, kRoutine);

  cputest::step();  // TRAP #14: now in the stub, PC past its write
  ASSERT_EQ(m68k::cpu.pc, kStub);
  const uint32_t ssp = m68k::areg(7);
  testing::internal::CaptureStdout();
  oscalls::xbios_dispatch(m68k::get_register(nullptr, m68k::kUSP));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(m68k::cpu.pc, kRoutine);

  // The routine.
  m68k::set_register(m68k::kD0, 5);
  m68k::cpu.pc = peek32(m68k::areg(7));  // RTS
  m68k::areg(7) += 4;
  EXPECT_EQ(m68k::areg(7), ssp);

  cputest::step();  // RTE
  EXPECT_FALSE(m68k::sr_build() & 0x2000);
  EXPECT_EQ(m68k::cpu.pc, cputest::kCodeAddress + 2);
  EXPECT_EQ(m68k::areg(7), user_sp);
  EXPECT_EQ(d0(), 5u);
}

// --- AES/VDI ---------------------------------------------------------------

TEST_F(BiosXbios, AesVdiCallPrintsOneLineAndChangesNothing) {
  m68k::set_register(m68k::kD0 + 1, 0x11111111);
  const uint32_t pc = m68k::cpu.pc, sp = m68k::areg(7), sr = m68k::sr_build();
  for (uint32_t value : {0u, 0x7FF0u, 0xFFFFFFFFu}) {
    testing::internal::CaptureStdout();
    oscalls::aes_vdi_call(value);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "UNHANDLED AES/VDI CALL\n");
  }
  EXPECT_EQ(d0(), kUntouchedD0);
  EXPECT_EQ(m68k::get_register(nullptr, m68k::kD0 + 1), 0x11111111u);
  EXPECT_EQ(m68k::cpu.pc, pc);
  EXPECT_EQ(m68k::areg(7), sp);
  EXPECT_EQ(m68k::sr_build(), sr);
}

// The first OS's terminate call: D0.W = 0, whatever the high word, ends the
// program as Pterm0 does, silently.
TEST_F(BiosXbios, AesVdiWithD0WordZeroTerminates) {
  for (uint32_t value : {0u, 0xABCD0000u}) {
    machine::quit_flag = 0;
    machine::exit_code = 0;
    m68k::set_register(m68k::kD0, value);
    testing::internal::CaptureStdout();
    oscalls::aes_vdi_call(0x7FF0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(machine::quit_flag, 1u);
    EXPECT_EQ(machine::exit_code, 0u);
  }
  machine::quit_flag = 0;
  m68k::set_register(m68k::kD0, 0x00000100);  // a word, not a byte, is zero
  testing::internal::CaptureStdout();
  oscalls::aes_vdi_call(0x7FF0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "UNHANDLED AES/VDI CALL\n");
  EXPECT_EQ(machine::quit_flag, 0u);
}

}  // namespace
