#include "translator/engine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "translator/dispatcher.h"
#include "translator/tier.h"

namespace translator {

namespace {

Settings current;
Statistics counters;
// Timeslices still run on the interpreter alone before the tier starts to
// count block starts: a program that ends within its first timeslice (hello
// world, most short runs) never pays for the counting.
uint32_t warm_up_left = 1;

// A decimal number from `low` to `high`, or false.
bool parse_number(const char* text, uint32_t low, uint32_t high, uint32_t& out) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (end == text || *end != 0 || v < low || v > high) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

void complain(const char* name, const char* value) {
  std::fprintf(stderr, "vellum: %s=%s is not understood and is ignored\n", name, value);
}

}  // namespace

bool available() {
  return true;
}

Settings& settings() {
  return current;
}

const Statistics& statistics() {
  return counters;
}

Statistics& statistics_for_update() {
  return counters;
}

void configure_from_environment() {
  if (const char* v = std::getenv("VELLUM_ENGINE")) {
    if (std::strcmp(v, "interpreter") == 0)
      current.engine = Engine::kInterpreter;
    else if (std::strcmp(v, "translator") == 0)
      current.engine = Engine::kTranslator;
    else
      complain("VELLUM_ENGINE", v);
  }
  if (const char* v = std::getenv("VELLUM_TRANSLATE_AFTER")) {
    if (!parse_number(v, 1, 1u << 30, current.translate_after))
      complain("VELLUM_TRANSLATE_AFTER", v);
  }
  if (const char* v = std::getenv("VELLUM_BLOCK_LIMIT")) {
    uint32_t limit;
    if (parse_number(v, 1, 256, limit))
      current.block_limit = limit;
    else
      complain("VELLUM_BLOCK_LIMIT", v);
  }
  if (const char* v = std::getenv("VELLUM_TRANSLATE_DUMP")) {
    const bool all = std::strcmp(v, "all") == 0;
    if (all || std::strcmp(v, "guest") == 0) current.dump_guest = true;
    if (all || std::strcmp(v, "host") == 0) current.dump_host = true;
    if (std::strcmp(v, "counts") == 0) current.dump_counts = true;
    if (!current.dump_guest && !current.dump_host && !current.dump_counts)
      complain("VELLUM_TRANSLATE_DUMP", v);
  }
}

// The tier translates 24-bit code only (the 68000 and 68010 models). A
// threshold of 1 (translate at once) has no warm-up.
int32_t execute(int32_t budget) {
  if (current.engine == Engine::kInterpreter || m68k::cpu.address_mask != machine::kAddressMask)
    return m68k::execute(budget);
  // Coverage counts count the first timeslice too: it runs in the tier's
  // loop, which counts what its interpreter runs.
  if (warm_up_left > 0 && current.translate_after > 1 && !current.dump_counts) {
    --warm_up_left;
    return m68k::execute(budget);
  }
  return execute_translated(budget);
}

void reset() {
  drop_translations();
  reset_hot_counters();
  warm_up_left = 1;
}

}  // namespace translator
