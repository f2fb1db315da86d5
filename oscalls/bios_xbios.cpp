#include "oscalls/bios_xbios.h"

#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/trace.h"
#include "oscalls/console.h"
#include "oscalls/date_time.h"
#include "oscalls/folder_calls.h"
#include "oscalls/process.h"

namespace oscalls {

namespace {

constexpr uint32_t kVectorQuery = 0xFFFFFFFF;

// Answers the vector's current value; stores the new one unless it is -1.
// Any vector number is taken, reaching up to 0x3FFFC.
void setexc(uint32_t) {
  const uint32_t vector_address = param_read16() * 4;
  const uint32_t new_value = param_read32();
  set_d0(machine::peek32(vector_address));
  if (new_value != kVectorQuery) machine::poke32(vector_address, new_value);
}

// The 200 Hz system timer counts every fourth tick: 20 ms apart.
void tickcal(uint32_t) {
  set_d0(20);
}

// No modifier key is ever held: there is no keyboard. A mode other than -1
// would set the state, and is taken and ignored.
void kbshift(uint32_t) {
  param_read16();
  set_d0(0);
}

void drvmap(uint32_t) {
  set_d0(drive_map());
}

// Runs the routine in supervisor mode: PC already points at the stub's RTE,
// so pushing it and jumping makes the routine's RTS land on the RTE. The
// routine's D0 is what the program receives.
void supexec(uint32_t) {
  const uint32_t routine = param_read32();
  const uint32_t sp = m68k::get_register(nullptr, m68k::kSP);
  m68k::set_register(m68k::kA7, sp - 4);
  const uint32_t pc = m68k::get_register(nullptr, m68k::kPC);
  machine::poke32(sp - 4, pc);
  m68k::set_register(m68k::kPC, routine);
}

// clang-format off
constexpr OsCall kBiosCalls[] = {
    {0x0001, "Bconstat", "device:w",              bconstat},
    {0x0002, "Bconin",   "device:w",              bconin},
    {0x0003, "Bconout",  "device:w char:c",       bconout},
    {0x0005, "Setexc",   "vector:w address:p",    setexc},
    {0x0006, "Tickcal",  "",                      tickcal},
    {0x0008, "Bcostat",  "device:w",              output_ready},
    {0x000A, "Drvmap",   "",                      drvmap},
    {0x000B, "Kbshift",  "mode:i",                kbshift},
};

constexpr OsCall kXbiosCalls[] = {
    {0x0016, "Settime",  "datetime:p",            settime},
    {0x0017, "Gettime",  "",                      gettime},
    {0x0026, "Supexec",  "routine:p",             supexec},
};
// clang-format on

const OsCallLayer kBios{"BIOS", kBiosCalls, kBiosNames};
const OsCallLayer kXbios{"XBIOS", kXbiosCalls, kXbiosNames};

}  // namespace

std::span<const OsCall> bios_calls() {
  return kBiosCalls;
}
std::span<const OsCall> xbios_calls() {
  return kXbiosCalls;
}

void bios_dispatch(uint32_t params) {
  dispatch_os_call(kBios, params);
}
void xbios_dispatch(uint32_t params) {
  dispatch_os_call(kXbios, params);
}

// No GEM. D0.W = 0 is the first OS's terminate call, which programs of the
// original developer kit end with; it ends the program as Pterm0 does. Any
// other call is named and the program continues with its registers as they
// were.
void aes_vdi_call(uint32_t value) {
  const uint32_t d0 = m68k::get_register(nullptr, m68k::kD0);
  const bool terminate = (d0 & 0xFFFF) == 0;
  machine::trace_printf("AES/VDI d0=0x%08x %s\n", d0, terminate ? "terminate" : "unhandled");
  if (terminate) return pterm0(value);
  std::puts("UNHANDLED AES/VDI CALL");
}

}  // namespace oscalls
