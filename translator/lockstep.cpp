#include "translator/lockstep.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "translator/code_hook.h"
#include "translator/decoder.h"
#include "translator/dump.h"
#include "translator/guest_block.h"
#include "translator/interpreter_step.h"
#include "translator/tier.h"
#include "translator/tier_state.h"

namespace translator {

namespace {

struct Write {
  uint32_t address, size, value;
  uint8_t old[4];
};

// Built at their first use: lockstep builds only.
std::vector<Write>& translated_writes() {
  static std::vector<Write> writes;
  return writes;
}
std::vector<Write>& interpreted_writes() {
  static std::vector<Write> writes;
  return writes;
}
bool repeating = false;

uint32_t read_back(uint32_t address, uint32_t size) {
  if (size == 1) return machine::peek8(address);
  if (size == 2) return machine::peek16(address);
  return machine::peek32(address);
}

// The flag stores compared by what they mean: bits outside a flag's place
// are don't-care to every reader.
uint32_t ccr_of(const m68k::CpuState& s) {
  return ((s.flag_x >> 4) & 0x10) | ((s.flag_n >> 4) & 0x08) | (s.flag_z == 0 ? 0x04 : 0) |
         ((s.flag_v >> 6) & 0x02) | ((s.flag_c >> 8) & 0x01);
}

struct Field {
  const char* name;
  uint32_t translated, interpreted;
};

void compare_states(const m68k::CpuState& t, const m68k::CpuState& i, uint32_t ccr_mask,
                    std::vector<Field>& out) {
  auto check = [&](const char* name, uint32_t a, uint32_t b) {
    if (a != b) out.push_back({name, a, b});
  };
  static const char* const kRegisters[] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
                                           "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7"};
  for (unsigned n = 0; n < 16; ++n) check(kRegisters[n], t.dar[n], i.dar[n]);
  check("pc", t.pc, i.pc);
  check("instr_addr", t.instr_addr, i.instr_addr);
  check("ir", t.ir, i.ir);
  check("ccr", ccr_of(t) & ccr_mask, ccr_of(i) & ccr_mask);
  for (unsigned n = 0; n < 7; ++n) check("sp_slot", t.sp_slot[n], i.sp_slot[n]);
  check("s", t.s, i.s);
  check("m", t.m, i.m);
  check("t1", t.t1, i.t1);
  check("t0", t.t0, i.t0);
  check("int_mask", t.int_mask, i.int_mask);
  check("pending_level", t.pending_level, i.pending_level);
  check("stopped", t.stopped, i.stopped);
  check("vbr", t.vbr, i.vbr);
  check("sfc", t.sfc, i.sfc);
  check("dfc", t.dfc, i.dfc);
  check("cacr", t.cacr, i.cacr);
  check("caar", t.caar, i.caar);
  check("type_code", t.type_code, i.type_code);
  check("address_mask", t.address_mask, i.address_mask);
  check("sr_mask", t.sr_mask, i.sr_mask);
  check("cycle_table", t.cycle_table, i.cycle_table);
}

[[noreturn]] void report(uint32_t pc, uint32_t completed, const std::vector<Field>& fields) {
  std::fflush(stdout);
  std::fprintf(stderr, "vellum lockstep: block at %08x, %u instructions, differs:\n", pc,
               completed);
  for (const Field& f : fields)
    std::fprintf(stderr, "  %-14s translated %08x  interpreter %08x\n", f.name, f.translated,
                 f.interpreted);
  std::fprintf(stderr, "  writes: translated %zu, interpreter %zu\n", translated_writes().size(),
               interpreted_writes().size());
  for (size_t n = 0; n < translated_writes().size() || n < interpreted_writes().size(); ++n) {
    const Write* t = n < translated_writes().size() ? &translated_writes()[n] : nullptr;
    const Write* i = n < interpreted_writes().size() ? &interpreted_writes()[n] : nullptr;
    std::fprintf(stderr, "  write %zu: translated %06x/%u=%08x  interpreter %06x/%u=%08x\n", n,
                 t ? t->address : 0, t ? t->size : 0, t ? t->value : 0, i ? i->address : 0,
                 i ? i->size : 0, i ? i->value : 0);
  }
  dump_guest_block(stderr, block_at(pc));
  std::abort();
}

}  // namespace

bool lockstep_repeating() {
  return repeating;
}

void lockstep_translated_store(uint32_t address, uint32_t size, uint32_t value) {
  Write w{address, size, value & (size == 4 ? 0xFFFFFFFF : (1u << (8 * size)) - 1), {}};
  for (uint32_t n = 0; n < size; ++n) w.old[n] = static_cast<uint8_t>(machine::peek8(address + n));
  translated_writes().push_back(w);
  translated_code_written(address, size);
}

// The MemoryBus tells of a write before it makes it; its value is read back
// once the instruction is done (a translated form writes at most once).
void lockstep_interpreted_store(uint32_t address, uint32_t size) {
  interpreted_writes().push_back({address, size, 0, {}});
}

uint32_t lockstep_run(const void* code) {
  if (!kLockstep) return enter_translation(code);
  const m68k::CpuState before = m68k::cpu;
  const int32_t budget_before = m68k::cycle_budget;
  const int32_t initial_before = m68k::initial_budget;
  const uint32_t pc = m68k::cpu.pc;
  translated_writes().clear();
  tier_shared.block_instructions = 0;
  const uint32_t reason = enter_translation(code);
  const uint32_t completed = tier_shared.block_instructions;
  const m68k::CpuState translated = m68k::cpu;
  const int32_t budget_translated = m68k::cycle_budget;
  // What the stores left in memory, besides the values they were given.
  std::vector<uint32_t> left;
  for (const Write& w : translated_writes()) left.push_back(read_back(w.address, w.size));

  // Memory back as it was, newest write first, then the interpreter.
  for (size_t n = translated_writes().size(); n-- > 0;)
    for (uint32_t k = 0; k < translated_writes()[n].size; ++k)
      machine::raw_write8((translated_writes()[n].address + k) & machine::kAddressMask,
                          translated_writes()[n].old[k]);
  m68k::cpu = before;
  m68k::cycle_budget = budget_before;
  m68k::initial_budget = initial_before;
  interpreted_writes().clear();
  repeating = true;
  for (uint32_t n = 0; n < completed; ++n) {
    const size_t written = interpreted_writes().size();
    interpreter_step();
    for (size_t k = written; k < interpreted_writes().size(); ++k)
      interpreted_writes()[k].value =
          read_back(interpreted_writes()[k].address, interpreted_writes()[k].size);
  }
  repeating = false;

  // Handed over, the instruction at PC runs next in the interpreter and
  // writes its own flags: those the block had no need to keep.
  uint32_t ccr_mask = 0x1F;
  if (reason == kExitBail) ccr_mask = flags_kept_at_hand_over(decode(translated.pc));
  std::vector<Field> fields;
  compare_states(translated, m68k::cpu, ccr_mask, fields);
  // An end signal cuts the budget whenever it arrives, in either run.
  if (machine::pending_signal == 0 && budget_translated != m68k::cycle_budget)
    fields.push_back({"budget", static_cast<uint32_t>(budget_translated),
                      static_cast<uint32_t>(m68k::cycle_budget)});
  bool writes_agree = translated_writes().size() == interpreted_writes().size();
  for (size_t n = 0; writes_agree && n < translated_writes().size(); ++n) {
    const Write& t = translated_writes()[n];
    const Write& i = interpreted_writes()[n];
    writes_agree = t.address == i.address && t.size == i.size && t.value == i.value &&
                   left[n] == read_back(t.address, t.size);
  }
  if (!fields.empty() || !writes_agree) report(pc, completed, fields);
  return reason;
}

}  // namespace translator
