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
void setexc(Word vector, Pointer new_value) {
  const uint32_t vector_address = vector * 4;
  set_d0(machine::peek32(vector_address));
  if (new_value != kVectorQuery) machine::poke32(vector_address, new_value);
}

// The 200 Hz system timer counts every fourth tick: 20 ms apart.
void tickcal() {
  set_d0(20);
}

// No modifier key is ever held: there is no keyboard. A mode other than -1
// would set the state, and is taken and ignored.
void kbshift(SignedWord) {
  set_d0(0);
}

void drvmap() {
  set_d0(drive_map());
}

// Runs the routine in supervisor mode: PC already points at the stub's RTE,
// so pushing it and jumping makes the routine's RTS land on the RTE. The
// routine's D0 is what the program receives.
void supexec(Pointer routine) {
  const uint32_t sp = m68k::get_register(nullptr, m68k::kSP);
  m68k::set_register(m68k::kA7, sp - 4);
  const uint32_t pc = m68k::get_register(nullptr, m68k::kPC);
  machine::poke32(sp - 4, pc);
  m68k::set_register(m68k::kPC, routine);
}

// clang-format off
constexpr OsCall kBiosCalls[] = {
    {0x0001, "Bconstat", "device",         handler<bconstat>},
    {0x0002, "Bconin",   "device",         handler<bconin>},
    {0x0003, "Bconout",  "device char",    handler<bconout>},
    {0x0005, "Setexc",   "vector address", handler<setexc>},
    {0x0006, "Tickcal",  "",               handler<tickcal>},
    {0x0008, "Bcostat",  "device",         handler<bcostat>},
    {0x000A, "Drvmap",   "",               handler<drvmap>},
    {0x000B, "Kbshift",  "mode",           handler<kbshift>},
};

constexpr OsCall kXbiosCalls[] = {
    {0x0016, "Settime",  "datetime",       handler<settime>},
    {0x0017, "Gettime",  "",               handler<gettime>},
    {0x0026, "Supexec",  "routine",        handler<supexec>},
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
void aes_vdi_call(uint32_t) {
  const uint32_t d0 = m68k::get_register(nullptr, m68k::kD0);
  const bool terminate = (d0 & 0xFFFF) == 0;
  machine::trace_printf("AES/VDI d0=0x%08x %s\n", d0, terminate ? "terminate" : "unhandled");
  if (terminate) return pterm0();
  std::puts("UNHANDLED AES/VDI CALL");
}

}  // namespace oscalls
