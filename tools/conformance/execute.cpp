#include "execute.h"

#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "translator/engine.h"

namespace conformance {

std::string field_name(const Difference& d) {
  static const char* const kNames[] = {"d0", "d1",  "d2",  "d3", "d4", "d5", "d6",
                                       "d7", "a0",  "a1",  "a2", "a3", "a4", "a5",
                                       "a6", "usp", "ssp", "sr", "pc", "ram"};
  const auto i = static_cast<unsigned>(d.field);
  if (d.field != Field::kRam) return kNames[i];
  char buf[24];
  std::snprintf(buf, sizeof buf, "ram[%06x]", d.address);
  return buf;
}

void prepare_core() {
  m68k::init();
  m68k::set_cpu_type(m68k::kM68000);
  translator::Settings& tier = translator::settings();
  tier.engine = translator::Engine::kTranslator;
  tier.translate_after = 1;
  tier.block_limit = 1;
}

bool translator_available() {
  return translator::available();
}

namespace {

void load_state(const MachineState& s) {
  // Reset clears a STOP or halt left by an earlier vector and the budget;
  // everything it loads from memory is overwritten below.
  m68k::pulse_reset();
  machine::quit_flag = 0;
  for (unsigned i = 0; i < 8; ++i) m68k::set_register(m68k::kD0 + i, s.d[i]);
  for (unsigned i = 0; i < 7; ++i) m68k::set_register(m68k::kA0 + i, s.a[i]);
  // The host SR store does not swap stacks, so the stack pointers go in
  // after it: each lands in A7 or its slot according to the new S bit.
  m68k::set_register(m68k::kSR, s.sr);
  m68k::set_register(m68k::kUSP, s.usp);
  m68k::set_register(m68k::kISP, s.ssp);
  m68k::set_register(m68k::kPC, s.pc);
  machine::poke16(s.pc, s.prefetch[0]);
  machine::poke16(s.pc + 2, s.prefetch[1]);
  for (const auto& [address, value] : s.ram) machine::poke8(address, value);
}

// Clears what the vector listed. A correct core writes nothing else (the
// reference lists every byte it wrote, frames included), so the next vector
// starts from zeroed memory; stray writes of a faulty core may linger, but
// only a vector that reads unlisted memory, and so fails anyway, could see
// them.
void clear_touched(const Vector& v) {
  machine::poke32(v.initial.pc, 0);
  for (const auto& cell : v.initial.ram) machine::poke8(cell.first, 0);
  for (const auto& cell : v.final.ram) machine::poke8(cell.first, 0);
}

void check(std::vector<Difference>& out, Field f, uint32_t expected, uint32_t actual) {
  if (expected != actual) out.push_back({f, 0, expected, actual});
}

}  // namespace

std::vector<Difference> compare_state(const MachineState& e) {
  std::vector<Difference> out;
  for (unsigned i = 0; i < 8; ++i)
    check(out, static_cast<Field>(i), e.d[i], m68k::get_register(nullptr, m68k::kD0 + i));
  for (unsigned i = 0; i < 7; ++i)
    check(out, static_cast<Field>(8 + i), e.a[i], m68k::get_register(nullptr, m68k::kA0 + i));
  check(out, Field::kUsp, e.usp, m68k::get_register(nullptr, m68k::kUSP));
  check(out, Field::kSsp, e.ssp, m68k::get_register(nullptr, m68k::kISP));
  check(out, Field::kSr, e.sr, m68k::get_register(nullptr, m68k::kSR));
  check(out, Field::kPc, e.pc, m68k::get_register(nullptr, m68k::kPC));
  for (const auto& [address, value] : e.ram) {
    const uint32_t actual = machine::peek8(address);
    if (actual != value) out.push_back({Field::kRam, address, value, actual});
  }
  return out;
}

std::vector<Difference> run_vector(const Vector& v, Engine engine, bool* translated) {
  load_state(v.initial);
  if (engine == Engine::kTranslator) {
    // Each vector's code is new: nothing of the last one may run.
    translator::reset();
    const uint64_t before = translator::statistics().block_runs;
    translator::execute(1);
    if (translated) *translated = translator::statistics().block_runs != before;
  } else {
    m68k::execute(1);
  }
  std::vector<Difference> diffs = compare_state(v.final);
  clear_touched(v);
  machine::quit_flag = 0;
  return diffs;
}

}  // namespace conformance
