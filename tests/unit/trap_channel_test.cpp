// The I/O write decode: every trap channel, the unhandled write, and the
// tick counter at 0x4BA cleared by any I/O write.
#include <gtest/gtest.h>

#include <string>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/memory_bus.h"
#include "machine/os_rom.h"
#include "machine/run_state.h"
#include "machine/trace.h"
#include "oscalls/install.h"
#include "oscalls/line_a.h"

using namespace machine;

namespace {

void fresh_machine() {
  clear_memory();
  machine::quit_flag = 0;
  m68k::init();
  m68k::set_cpu_type(m68k::kM68000);
  m68k::cpu.s = 4;
  oscalls::install_os_calls();
}

struct FaultCase {
  uint32_t address;
  const char* name;
};

class FaultChannelTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultChannelTest, PrintsNameStopsAndClearsTick) {
  fresh_machine();
  poke32(kTickCounter, 0x12345678);
  testing::internal::CaptureStdout();
  Write32(GetParam().address, 0x1000);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind(GetParam().name, 0), 0u) << out;
  EXPECT_EQ(machine::quit_flag, 1u);
  EXPECT_EQ(peek32(kTickCounter), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    AllFaultNames, FaultChannelTest,
    ::testing::Values(FaultCase{0xFFFF00, "CPU EXCEPTION: "}, FaultCase{0xFFFF08, "BUS ERROR: "},
                      FaultCase{0xFFFF0C, "ADDRESS ERROR: "},
                      FaultCase{0xFFFF10, "ILLEGAL INSTRUCTION: "},
                      FaultCase{0xFFFF14, "DIVIDE BY ZERO: "}, FaultCase{0xFFFF18, "CHK/CHK2: "},
                      FaultCase{0xFFFF1C, "TRAP: "}, FaultCase{0xFFFF20, "PRIVILEGE VIOLATION: "},
                      FaultCase{0xFFFF24, "TRACE: "}, FaultCase{0xFFFF28, "LINE-A EMULATOR: "},
                      FaultCase{0xFFFF2C, "LINE-F EMULATOR: "},
                      FaultCase{0xFFFF30, "RESERVED EXCEPTION: "}));

TEST(TrapChannelTable, OsCallChannelsDecodeToTheirLayers) {
  struct Row {
    uint32_t address;
    OsChannel channel;
  };
  const Row rows[] = {{0xFFFF84, OsChannel::kGemdos},
                      {0xFFFF88, OsChannel::kAesVdi},
                      {0xFFFFB4, OsChannel::kBios},
                      {0xFFFFB8, OsChannel::kXbios}};
  for (const Row& r : rows) {
    const TrapChannel* c = find_trap_channel(r.address);
    ASSERT_NE(c, nullptr) << std::hex << r.address;
    EXPECT_EQ(c->action, ChannelAction::kOsCall);
    EXPECT_EQ(c->channel, r.channel);
  }
  ASSERT_NE(find_trap_channel(0xFFFA42), nullptr);
  EXPECT_EQ(find_trap_channel(0xFFFA42)->action, ChannelAction::kBusErrorRedirect);
  EXPECT_EQ(kTrapChannelCount, 17u);
  // Vector 1 has no stub and TRAP #0 no channel.
  EXPECT_EQ(find_trap_channel(0xFFFF04), nullptr);
  EXPECT_EQ(find_trap_channel(0xFFFF80), nullptr);
}

// The ROM's Line-A stub hands over its A7, the frame (SR, then the PC of
// the opcode). The sixteen calls return past the opcode through the ROM's
// RTE, silently; any other Line-A opcode is the fault it always was.
struct LineACase {
  uint16_t opcode;
  bool served;
};

class LineAChannel : public ::testing::TestWithParam<LineACase> {};

TEST_P(LineAChannel, ServesTheSixteenCallsAndFaultsTheRest) {
  fresh_machine();
  constexpr uint32_t kFrame = 0x7FFA, kOpcodeAt = 0x12000, kStubPc = 0xFE0166;
  poke16(kFrame, 0x0304);
  poke32(kFrame + 2, kOpcodeAt);
  poke16(kOpcodeAt, GetParam().opcode);
  m68k::cpu.pc = kStubPc;
  m68k::set_register(m68k::kD0 + 1, 0x11111111);
  testing::internal::CaptureStdout();
  Write32(0xFFFF28, kFrame);
  const std::string out = testing::internal::GetCapturedStdout();
  if (GetParam().served) {
    EXPECT_EQ(out, "");
    EXPECT_EQ(machine::quit_flag, 0u);
    EXPECT_EQ(m68k::cpu.pc, kRomExceptionReturn);
    EXPECT_EQ(peek32(kFrame + 2), kOpcodeAt + 2);
    EXPECT_EQ(peek16(kFrame), 0x0304u) << "the frame's SR comes back as it was";
    EXPECT_EQ(m68k::get_register(nullptr, m68k::kD0 + 1), 0x11111111u);
  } else {
    EXPECT_EQ(out.rfind("LINE-A EMULATOR: ", 0), 0u) << out;
    EXPECT_EQ(machine::quit_flag, 1u);
    EXPECT_EQ(peek32(kFrame + 2), kOpcodeAt);
  }
}

INSTANTIATE_TEST_SUITE_P(Opcodes, LineAChannel,
                         ::testing::Values(LineACase{0xA000, true}, LineACase{0xA00A, true},
                                           LineACase{0xA00F, true}, LineACase{0xA010, false},
                                           LineACase{0xAFFF, false}, LineACase{0x4E71, false}),
                         [](const auto& info) {
                           char name[16];
                           std::snprintf(name, sizeof name, "Opcode%04X", info.param.opcode);
                           return std::string(name);
                         });

// The memory above the ROM stays as the set-up left it until the program
// asks where the variables are.
TEST(LineAChannel, VariablesAppearAtTheFirstInitialize) {
  fresh_machine();
  poke32(0x7FFC, 0x12000);
  poke16(0x12000, 0xA000);
  EXPECT_EQ(peek16(oscalls::kLineAVariables - 44), 0u);
  Write32(0xFFFF28, 0x7FFA);
  EXPECT_EQ(m68k::get_register(nullptr, m68k::kA0), oscalls::kLineAVariables);
  EXPECT_EQ(peek16(oscalls::kLineAVariables - 44), 79u) << "text columns - 1";
  EXPECT_EQ(peek16(oscalls::kLineAVariables - 42), 24u) << "text rows - 1";
}

TEST(LineAChannel, TraceNamesTheCall) {
  fresh_machine();
  poke32(0x7FFC, 0x12000);
  poke16(0x12000, 0xA00A);
  machine::trace_enabled = true;
  testing::internal::CaptureStderr();
  Write32(0xFFFF28, 0x7FFA);
  machine::trace_enabled = false;
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "LINE-A 0xa00a Hide mouse: nothing to draw\n");
}

TEST(TrapChannelTable, UnhandledWriteReportsAddressAndValue) {
  for (uint32_t address : {0xFF8000u, 0xFFFF04u, 0xFFFF80u, 0xFFFFFCu}) {
    fresh_machine();
    poke32(kTickCounter, 7);
    testing::internal::CaptureStdout();
    Write16(address, 0xCAFEBABE);
    std::string out = testing::internal::GetCapturedStdout();
    char expected[64];
    std::snprintf(expected, sizeof expected, "UNHANDLED I/O WRITE %08x=cafebabe\n", address);
    EXPECT_EQ(out.rfind(expected, 0), 0u) << out;
    EXPECT_EQ(machine::quit_flag, 1u);
    EXPECT_EQ(peek32(kTickCounter), 0u);
  }
}

TEST(TrapChannelTable, BusErrorChannelContinuesAtVectorTwoSilently) {
  fresh_machine();
  poke32(8, 0x00123456);
  uint32_t sr = m68k::sr_build();
  testing::internal::CaptureStdout();
  Write8(0xFFFA42, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(m68k::cpu.pc, 0x00123456u);
  EXPECT_EQ(m68k::sr_build(), sr);
  EXPECT_EQ(machine::quit_flag, 0u);
}

TEST(TrapChannelTable, AesVdiPrintsItsLineAndContinues) {
  fresh_machine();
  m68k::set_register(m68k::kD0, 0x73);  // D0.W = 0 would be the terminate call
  testing::internal::CaptureStdout();
  Write32(0xFFFF88, 0x1234);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "UNHANDLED AES/VDI CALL\n");
  EXPECT_EQ(machine::quit_flag, 0u);
}

TEST(TrapChannelTable, ByteWriteToGemdosChannelDispatchesLikeLong) {
  // Pterm0 through an 8-bit write.
  fresh_machine();
  poke16(0x3000, 0x0000);
  Write8(0xFFFF84, 0x3000);
  EXPECT_EQ(machine::quit_flag, 1u);
}

}  // namespace
