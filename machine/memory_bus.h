// MemoryBus: the CPU core's only way to guest memory. RAM below 0xFF8000 is a
// single array access; reads above it fail and stop the run, writes above it
// are decoded as trap channels that call host handlers synchronously. A RAM
// write first looks up its line in the translated-code map (code_watch.h):
// a load before the store, since a load of an unrelated address right after
// a store waits on it often enough to cost the interpreter 14 % on a
// workload (CRC-32) that hardly stores at all.
#pragma once

#include <cstdint>

#include "machine/emu_memory.h"

namespace machine {

void unhandled_read(uint32_t address);
void io_write(uint32_t address, uint32_t value);

inline uint32_t Read8(uint32_t a) {
  if (a < kIoRegionStart) [[likely]]
    return raw_read8(a);
  unhandled_read(a);
  return 0xFFFFFFFF;
}
inline uint32_t Read16(uint32_t a) {
  if (a < kIoRegionStart) [[likely]]
    return raw_read16(a);
  unhandled_read(a);
  return 0xFFFFFFFF;
}
inline uint32_t Read32(uint32_t a) {
  if (a < kIoRegionStart) [[likely]]
    return raw_read32(a);
  unhandled_read(a);
  return 0xFFFFFFFF;
}
inline void Write8(uint32_t a, uint32_t v) {
  if (a < kIoRegionStart) [[likely]] {
    note_write(a, 1);
    raw_write8(a, v);
    return;
  }
  io_write(a, v);
}
inline void Write16(uint32_t a, uint32_t v) {
  if (a < kIoRegionStart) [[likely]] {
    note_write(a, 2);
    raw_write16(a, v);
    return;
  }
  io_write(a, v);
}
inline void Write32(uint32_t a, uint32_t v) {
  if (a < kIoRegionStart) [[likely]] {
    note_write(a, 4);
    raw_write32(a, v);
    return;
  }
  io_write(a, v);
}

// What a write to one trap-channel address does. kLineA is the Line-A
// exception: the OS layer's service gets the first word (a defined Line-A
// call is the OS's), and what it leaves alone is a fault report.
enum class ChannelAction { kBusErrorRedirect, kFault, kLineA, kOsCall };

// The OS-call channels of the ROM's TRAP stubs. Their host handlers belong to
// the OS-call layer, which registers them; a channel without a handler is an
// unhandled write.
enum class OsChannel : uint8_t { kGemdos, kAesVdi, kBios, kXbios };
inline constexpr unsigned kOsChannelCount = 4;
using OsChannelHandler = void (*)(uint32_t value);
void register_os_channel(OsChannel channel, OsChannelHandler handler);

// The OS layer's Line-A calls, given the A7 the ROM's exception stub wrote
// (the exception frame: SR word, then the PC of the Line-A opcode). Answers
// whether it served the call and set up the return to the program; if not,
// or while none is registered, the exception is a fault.
using LineAService = bool (*)(uint32_t frame);
void register_line_a_service(LineAService service);

struct TrapChannel {
  uint32_t address;
  ChannelAction action;
  const char* fault_name;                  // for kFault and kLineA
  OsChannel channel = OsChannel::kGemdos;  // for kOsCall
};

// The decode table, exposed for tests; addresses not listed end in the
// unhandled-write report.
extern const TrapChannel kTrapChannels[];
extern const unsigned kTrapChannelCount;
const TrapChannel* find_trap_channel(uint32_t address);

// The long at 0x4BA: the platform's 200 Hz tick counter, cleared by every
// write to the I/O region.
inline constexpr uint32_t kTickCounter = 0x4BA;

}  // namespace machine
