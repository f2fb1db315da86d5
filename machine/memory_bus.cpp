#include "machine/memory_bus.h"

#include <cstdio>

#include "machine/cpu_link.h"
#include "machine/fault_report.h"
#include "machine/run_state.h"
#include "machine/trace.h"

namespace machine {

const TrapChannel kTrapChannels[] = {
    {0xFFFA42, ChannelAction::kBusErrorRedirect, nullptr},
    {0xFFFF00, ChannelAction::kFault, "CPU EXCEPTION: "},
    {0xFFFF08, ChannelAction::kFault, "BUS ERROR: "},
    {0xFFFF0C, ChannelAction::kFault, "ADDRESS ERROR: "},
    {0xFFFF10, ChannelAction::kFault, "ILLEGAL INSTRUCTION: "},
    {0xFFFF14, ChannelAction::kFault, "DIVIDE BY ZERO: "},
    {0xFFFF18, ChannelAction::kFault, "CHK/CHK2: "},
    {0xFFFF1C, ChannelAction::kFault, "TRAP: "},
    {0xFFFF20, ChannelAction::kFault, "PRIVILEGE VIOLATION: "},
    {0xFFFF24, ChannelAction::kFault, "TRACE: "},
    {0xFFFF28, ChannelAction::kLineA, "LINE-A EMULATOR: "},
    {0xFFFF2C, ChannelAction::kFault, "LINE-F EMULATOR: "},
    {0xFFFF30, ChannelAction::kFault, "RESERVED EXCEPTION: "},
    {0xFFFF84, ChannelAction::kOsCall, nullptr, OsChannel::kGemdos},
    {0xFFFF88, ChannelAction::kOsCall, nullptr, OsChannel::kAesVdi},
    {0xFFFFB4, ChannelAction::kOsCall, nullptr, OsChannel::kBios},
    {0xFFFFB8, ChannelAction::kOsCall, nullptr, OsChannel::kXbios},
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
