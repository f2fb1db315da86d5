#include "machine/memory_bus.h"

#include <cstdio>

#include "machine/cpu_link.h"
#include "machine/fault_report.h"
#include "machine/os_rom_symbols.h"
#include "machine/run_state.h"
#include "machine/trace.h"

namespace machine {

namespace {
// The channel the ROM's stub for exception vector `vector` writes to.
constexpr uint32_t exception_channel(unsigned vector) {
  return kExceptionChannels + 4 * vector;
}
}  // namespace

const TrapChannel kTrapChannels[] = {
    {0xFFFA42, ChannelAction::kBusErrorRedirect, nullptr},
    {exception_channel(0), ChannelAction::kFault, "CPU EXCEPTION: "},
    {exception_channel(2), ChannelAction::kFault, "BUS ERROR: "},
    {exception_channel(3), ChannelAction::kFault, "ADDRESS ERROR: "},
    {exception_channel(4), ChannelAction::kFault, "ILLEGAL INSTRUCTION: "},
    {exception_channel(5), ChannelAction::kFault, "DIVIDE BY ZERO: "},
    {exception_channel(6), ChannelAction::kFault, "CHK/CHK2: "},
    {exception_channel(7), ChannelAction::kFault, "TRAP: "},
    {exception_channel(8), ChannelAction::kFault, "PRIVILEGE VIOLATION: "},
    {exception_channel(9), ChannelAction::kFault, "TRACE: "},
    {exception_channel(10), ChannelAction::kLineA, "LINE-A EMULATOR: "},
    {exception_channel(11), ChannelAction::kFault, "LINE-F EMULATOR: "},
    {exception_channel(12), ChannelAction::kFault, "RESERVED EXCEPTION: "},
    {kGemdosChannel, ChannelAction::kOsCall, nullptr, OsChannel::kGemdos},
    {kAesVdiChannel, ChannelAction::kOsCall, nullptr, OsChannel::kAesVdi},
    {kBiosChannel, ChannelAction::kOsCall, nullptr, OsChannel::kBios},
    {kXbiosChannel, ChannelAction::kOsCall, nullptr, OsChannel::kXbios},
};

namespace {
OsChannelHandler os_channel_handlers[kOsChannelCount];
LineAService line_a_service;
}  // namespace

void register_os_channel(OsChannel channel, OsChannelHandler handler) {
  os_channel_handlers[static_cast<unsigned>(channel)] = handler;
}

void register_line_a_service(LineAService service) {
  line_a_service = service;
}
const unsigned kTrapChannelCount = sizeof kTrapChannels / sizeof kTrapChannels[0];

const TrapChannel* find_trap_channel(uint32_t address) {
  for (const TrapChannel& c : kTrapChannels)
    if (c.address == address) return &c;
  return nullptr;
}

void unhandled_read(uint32_t address) {
  trace_printf("FAULT UNHANDLED I/O READ %08x\n", address);
  std::printf("UNHANDLED I/O READ %08x", address);
  fail_run();
}

void io_write(uint32_t address, uint32_t value) {
  poke32(kTickCounter, 0);
  const TrapChannel* channel = find_trap_channel(address);
  if (!channel) {
    unhandled_write_report(address, value);
    return;
  }
  switch (channel->action) {
    case ChannelAction::kBusErrorRedirect:
      // Continue at the bus-error vector without building a frame.
      set_cpu_pc(peek32(8));
      break;
    case ChannelAction::kFault:
      fault_report(channel->fault_name);
      break;
    case ChannelAction::kLineA:
      if (!line_a_service || !line_a_service(value)) fault_report(channel->fault_name);
      break;
    case ChannelAction::kOsCall:
      if (OsChannelHandler handler = os_channel_handlers[static_cast<unsigned>(channel->channel)])
        handler(value);
      else
        unhandled_write_report(address, value);
      break;
  }
}

}  // namespace machine
