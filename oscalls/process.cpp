#include "oscalls/process.h"

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

namespace {

using machine::peek16;
using machine::peek32;
using machine::poke16;
using machine::poke32;

constexpr uint32_t kSupervisorBit = 0x2000;

}  // namespace

void pterm0(uint32_t) {
  machine::stop_run();
}

void pterm(uint32_t) {
  machine::exit_code = param_read16();
  machine::stop_run();
}

// The TRAP's frame on the supervisor stack at F (ISP): SR word, return PC.
// Whatever mode the call came from, the stub's RTE takes the frame that
// ISP points at when the handler returns.
void super(uint32_t params) {
  const uint32_t stack = param_read32();
  const uint32_t frame = m68k::get_register(nullptr, m68k::kISP);
  const uint32_t sr = peek16(frame);
  const uint32_t pc = peek32(frame + 2);
  const bool from_supervisor = sr & kSupervisorBit;

  if (stack == 1) {  // inquiry only
    set_d0_signed(from_supervisor ? -1 : 0);
    return;
  }
  if (!from_supervisor) {
    // Copy the frame, with S set, below the new supervisor stack. Without a
    // stack of its own the program keeps the one it called from.
    const uint32_t top = stack != 0 ? stack : params;
    poke32(top - 4, pc);
    poke16(top - 6, sr | kSupervisorBit);
    set_d0(frame);
    m68k::set_register(m68k::kISP, top - 6);
    return;
  }
  // Back to user mode. The program's stack continues where it was before the
  // TRAP (F + 6) and becomes the user stack.
  if (stack == 0) {
    poke16(frame, sr & ~kSupervisorBit);
    m68k::set_register(m68k::kUSP, frame + 6);
    return;
  }
  poke32(stack - 4, pc);
  poke16(stack - 6, sr & ~kSupervisorBit);
  m68k::set_register(m68k::kUSP, frame + 6);
  m68k::set_register(m68k::kISP, stack - 6);
}

void ssystem(uint32_t) {
  set_d0_signed(kInvalidFunction);
}

}  // namespace oscalls
