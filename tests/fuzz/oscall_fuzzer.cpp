// The OS-call layer on its own: a run of GEMDOS, BIOS and XBIOS calls with
// random parameters, each dispatched the way the ROM's trap stubs do.
// Input layout (big-endian):
//   data length L (word, at most 1024), then L data bytes, stored both at
//   kDataLow and at kDataTop, where they run past 0xFFFFFF and wrap to 0;
//   then up to 16 calls, each: selector byte (bits 0-1 layer: GEMDOS, BIOS,
//   XBIOS, GEMDOS; bit 2: parameter block at kParamsTop, whose words wrap
//   round the address space), length byte n (at most 40), n bytes of
//   parameter block: function number word, then the call's parameters.
// Pointers in the parameters are plain numbers: the seeds aim them at the
// data copies, at the top of the address space and at the I/O region.
#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "oscalls/bios_xbios.h"
#include "oscalls/gemdos.h"
#include "oscalls/malloc_calls.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr uint32_t kDataLow = 0x010000;
constexpr uint32_t kDataTop = 0xFFFF00;
constexpr uint32_t kParamsLow = 0x008000;
constexpr uint32_t kParamsTop = 0xFFFFF0;
constexpr uint32_t kParamBlockSize = 40;
constexpr size_t kMaxData = 1024;
constexpr int kMaxCalls = 16;
// Where a loaded program's end would be.
constexpr uint32_t kMallocStart = 0x020000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputReader in(data, size);
  size_t data_length = in.u16();
  if (data_length > kMaxData) return -1;
  if (data_length > in.left()) data_length = in.left();

  fuzz::reset_machine();
  m68k::cpu = {};
  m68k::set_cpu_type(m68k::kM68000);
  m68k::pulse_reset();
  oscalls::malloc_state.next = kMallocStart;
  machine::copy_to_guest(kDataLow, in.here(), data_length);
  machine::copy_to_guest(kDataTop, in.here(), data_length);
  in.skip(data_length);

  for (int call = 0; call < kMaxCalls && in.left() >= 2 && !machine::quit_flag; ++call) {
    const uint8_t selector = in.u8();
    uint32_t length = in.u8();
    if (length > kParamBlockSize) length = kParamBlockSize;
    const uint32_t block = selector & 4 ? kParamsTop : kParamsLow;
    for (uint32_t i = 0; i < kParamBlockSize; ++i) machine::poke8(block + i, 0);
    for (uint32_t i = 0; i < length; ++i) machine::poke8(block + i, in.u8());
    switch (selector & 3) {
      case 1:
        oscalls::bios_dispatch(block);
        break;
      case 2:
        oscalls::xbios_dispatch(block);
        break;
      default:
        oscalls::gemdos_dispatch(block);
        break;
    }
  }
  std::fflush(stdout);
  return 0;
}
