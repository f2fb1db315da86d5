#include "tier_test_support.h"

#include <gtest/gtest.h>

#include "machine/emu_memory.h"
#include "machine/memory_bus.h"
#include "machine/run_state.h"
#include "translator/engine.h"

namespace tiertest {

namespace {

Outcome* recording = nullptr;

void record_and_stop(uint32_t) {
  if (recording) {
    recording->budget_at_end = m68k::cycle_budget;
    recording->recorded = true;
  }
  machine::stop_run();
}

}  // namespace

uint32_t ccr_of(const m68k::CpuState& s) {
  return ((s.flag_x >> 4) & 0x10) | ((s.flag_n >> 4) & 0x08) | (s.flag_z == 0 ? 0x04 : 0) |
         ((s.flag_v >> 6) & 0x02) | ((s.flag_c >> 8) & 0x01);
}

void fresh_machine() {
  machine::clear_memory();
  translator::reset();
  m68k::cpu = m68k::CpuState{};
  m68k::init();
  m68k::set_cpu_type(m68k::kM68000);
  machine::quit_flag = 0;
  m68k::set_register(m68k::kSR, 0x2700);
  for (unsigned v = 2; v < 64; ++v) machine::poke32(4 * v, kHandlerAddress);
  machine::poke16(kHandlerAddress, 0x5287);      // addq.l #1,d7
  machine::poke16(kHandlerAddress + 2, 0x4E73);  // rte
  for (unsigned n = 0; n < 8; ++n) m68k::cpu.dar[n] = 0x01010101u * (n + 1);
  for (unsigned n = 0; n < 7; ++n) m68k::cpu.dar[8 + n] = kDataAddress + 0x40 * n;
  m68k::areg(7) = 0x8000;
  m68k::cpu.sp_slot[0] = 0x7000;
  machine::register_os_channel(machine::OsChannel::kGemdos, &record_and_stop);
}

void load(const std::vector<uint16_t>& words, uint32_t at) {
  for (size_t i = 0; i < words.size(); ++i)
    machine::poke16(at + 2 * static_cast<uint32_t>(i), words[i]);
  m68k::cpu.pc = at;
}

Outcome run(bool translated) {
  Outcome out;
  translator::Settings& s = translator::settings();
  s.engine = translated ? translator::Engine::kTranslator : translator::Engine::kInterpreter;
  s.translate_after = 1;
  recording = &out;
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  for (int slice = 0; slice < 1000 && !machine::quit_flag && m68k::cpu.stopped == 0; ++slice)
    translator::execute(0x100000);
  std::fflush(stdout);
  out.output = testing::internal::GetCapturedStdout();
  recording = nullptr;
  out.cpu = m68k::cpu;
  if (!out.recorded) out.budget_at_end = m68k::cycle_budget;
  out.cycles_used = m68k::cycles_used();
  out.memory.resize(kComparedBytes);
  for (uint32_t a = 0; a < kComparedBytes; ++a)
    out.memory[a] = static_cast<uint8_t>(machine::peek8(a));
  s = translator::Settings{};
  return out;
}

BothRuns run_both(const std::vector<uint16_t>& words) {
  BothRuns both;
  fresh_machine();
  load(words);
  both.interpreter = run(false);
  fresh_machine();
  load(words);
  both.tier = run(true);
  return both;
}

}  // namespace tiertest
