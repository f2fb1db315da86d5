// The CPU alone: random register state and instruction words, a few
// instructions executed. Input layout (big-endian):
//    0  D0-D7, A0-A7 (16 longs; A7 is the active stack pointer)
//   64  SR (word)       66  the other stack pointer (long)
//   70  PC (long)       74  model byte: bit 7 set selects a later model
//   75  instruction count (1 to 4)
//   76  up to 8 instruction words, stored at PC
//   92  up to 64 data bytes, stored at the address in A0
// The machine is set up as for a run (ROM, OS calls), but the ROM's reset
// routine does not run: the vector table stays as set-up leaves it, so an
// exception continues wherever its vector points (the tier fuzzer installs
// the ROM's vectors; this one exercises the entry of exceptions itself).
#include <cstdio>
#include <cstdlib>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr size_t kMinInput = 78;  // through the first instruction word
constexpr size_t kCodeWords = 8;
constexpr size_t kDataBytes = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kMinInput) return -1;
  fuzz::InputReader in(data, size);
  fuzz::reset_machine();
  m68k::cpu = {};

  uint32_t regs[16];
  for (uint32_t& r : regs) r = in.u32();
  const uint32_t sr = in.u16();
  const uint32_t other_sp = in.u32();
  const uint32_t pc = in.u32();
  const uint8_t model = in.u8();
  const int steps = 1 + in.u8() % 4;

  m68k::set_cpu_type(model & 0x80 ? 2 + (model & 1) * 2 : m68k::kM68000);
  m68k::pulse_reset();
  m68k::set_register(m68k::kSR, sr);
  for (unsigned i = 0; i < 16; ++i) m68k::set_register(i, regs[i]);
  m68k::set_register((sr & 0x2000) ? m68k::kUSP : m68k::kISP, other_sp);
  m68k::set_register(m68k::kPC, pc);
  for (size_t i = 0; i < kCodeWords && in.left() >= 2; ++i)
    machine::poke16(pc + static_cast<uint32_t>(2 * i), in.u16());
  for (size_t i = 0; i < kDataBytes && in.left() > 0; ++i)
    machine::poke8(regs[8] + static_cast<uint32_t>(i), in.u8());

  for (int i = 0; i < steps && !machine::quit_flag && m68k::cpu.stopped == 0; ++i) m68k::execute(1);

  // Whatever ran, the status register holds only the model's bits.
  const uint32_t after = m68k::sr_build();
  if ((after & ~m68k::cpu.sr_mask) != 0) {
    std::fprintf(stderr, "SR %04x has bits outside the model's mask %04x\n", after,
                 m68k::cpu.sr_mask);
    std::abort();
  }
  std::fflush(stdout);
  return 0;
}
