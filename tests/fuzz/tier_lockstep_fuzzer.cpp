// The translation tier against the interpreter: random register state and a
// random stream of instruction words and data, run translating every block
// at its first run, in a build of the tier that repeats every block on the
// interpreter and aborts at the first difference of CPU state, budget or
// memory write (translator/lockstep.cpp). Input layout (big-endian):
//    0  D0-D7, A0-A7 (16 longs; A7 is the active stack pointer)
//   64  SR (word; the model keeps its bits)   66  the other stack pointer
//   70  control byte:
//         bit 0     the 68010 rather than the 68000
//         bit 1     vectors 2-31 (errors, line A/F, interrupts) lead to the
//                   handler in the stream rather than the ROM's stubs
//         bit 2     vectors 32-47 (TRAP #n) too, so no OS call is reached
//         bits 4-5  instructions per block: 32, 1, 3 or 8
//   71  handler: at kStreamAddress + 2 * this byte
//   72  timeslice: 16 + 4 * this byte units, for at most kTimeslices of them
//   73  start: PC is kStreamAddress + this byte (odd ones fault at once)
//   74  the stream, at most kStreamBytes, stored at kStreamAddress
// Registers pointing into the stream read and write it: the seeds do, which
// makes self-modifying stores, (An)+ and -(An) over code and data common.
// The machine is the fuzzers' reset one (ROM, OS calls) with the vectors the
// ROM's reset routine installs, so exceptions, OS calls and I/O-region
// accesses take their real paths. Each input runs at most kTimeslices
// timeslices, about 4,000 instructions.
#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/os_rom_symbols.h"
#include "machine/run_state.h"
#include "tests/fuzz/fuzz_support.h"
#include "translator/engine.h"

namespace {

constexpr size_t kHeaderBytes = 74;
constexpr uint32_t kStreamAddress = 0x10000;
constexpr size_t kStreamBytes = 4096;
constexpr int kTimeslices = 4;
constexpr unsigned kBlockLimits[] = {32, 1, 3, 8};

void lead_vectors_to(unsigned first, unsigned last, uint32_t handler) {
  for (unsigned v = first; v <= last; ++v) machine::poke32(4 * v, handler);
}

// The vectors as the ROM's reset routine leaves them for a program: every
// one from 2 on at its exception stub, which reports to the host, and the
// OS-call traps at theirs.
void install_rom_vectors() {
  for (unsigned v = 2; v < 64; ++v) machine::poke32(4 * v, machine::kExceptionStubs + 4 * (v - 2));
  machine::poke32(4 * 33, machine::kGemdosStub);  // TRAP #1
  machine::poke32(4 * 34, machine::kAesVdiStub);  // TRAP #2
  machine::poke32(4 * 45, machine::kBiosStub);    // TRAP #13
  machine::poke32(4 * 46, machine::kXbiosStub);   // TRAP #14
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderBytes + 2) return -1;
  fuzz::InputReader in(data, size);
  fuzz::reset_machine();
  translator::reset();
  m68k::cpu = {};

  uint32_t regs[16];
  for (uint32_t& r : regs) r = in.u32();
  const uint32_t sr = in.u16();
  const uint32_t other_sp = in.u32();
  const uint8_t control = in.u8();
  const uint32_t handler = kStreamAddress + 2u * in.u8();
  const int32_t timeslice = 16 + 4 * in.u8();
  const uint32_t start = kStreamAddress + in.u8();

  for (uint32_t at = kStreamAddress; in.left() > 0 && at < kStreamAddress + kStreamBytes; ++at)
    machine::poke8(at, in.u8());
  install_rom_vectors();
  if (control & 0x02) lead_vectors_to(2, 31, handler);
  if (control & 0x04) lead_vectors_to(32, 47, handler);

  m68k::set_cpu_type(control & 0x01 ? m68k::kM68010 : m68k::kM68000);
  m68k::pulse_reset();
  m68k::set_register(m68k::kSR, sr);
  for (unsigned i = 0; i < 16; ++i) m68k::set_register(i, regs[i]);
  m68k::set_register((sr & 0x2000) ? m68k::kUSP : m68k::kISP, other_sp);
  m68k::set_register(m68k::kPC, start);

  // VELLUM_TRANSLATE_DUMP shows what a replayed input translates; the rest
  // of the settings are the input's.
  static bool configured = false;
  if (!configured) {
    translator::configure_from_environment();
    configured = true;
  }
  translator::Settings& settings = translator::settings();
  settings.engine = translator::Engine::kTranslator;
  settings.translate_after = 1;
  settings.block_limit = kBlockLimits[(control >> 4) & 3];
  for (int slice = 0; slice < kTimeslices && !machine::quit_flag && m68k::cpu.stopped == 0; ++slice)
    translator::execute(timeslice);
  std::fflush(stdout);
  return 0;
}
