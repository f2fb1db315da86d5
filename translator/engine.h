// The engine of the CPU's timeslices: the translation tier, with the
// interpreter for everything it does not translate, or the interpreter
// alone. The tier exists in builds for x86-64 hosts with asmjit; elsewhere
// execute() is the interpreter's.
#pragma once

#include <cstddef>
#include <cstdint>

namespace translator {

enum class Engine : uint8_t { kInterpreter, kTranslator };

struct Settings {
  Engine engine = Engine::kTranslator;
  // A block start reached this many times is translated (1: at once).
  uint32_t translate_after = 1024;
  unsigned block_limit = 32;  // instructions per block
  // Each translation on standard error: its guest instructions, and the
  // host code asmjit assembled.
  bool dump_guest = false;
  bool dump_host = false;
  // At exit, the instructions that ran as translated forms, as call-outs
  // and on the interpreter, by family (coverage_counts.h).
  bool dump_counts = false;
  // The code memory, reserved at the first translation; when a block might
  // not fit, every translation is dropped and the memory starts over.
  size_t code_memory_bytes = size_t{32} << 20;
};

// True in builds that have the tier.
bool available();
Settings& settings();

// Reads the environment once (vellum calls it at start-up):
//   VELLUM_ENGINE=interpreter   the interpreter alone (translator: the default)
//   VELLUM_TRANSLATE_AFTER=n    the hot threshold (1 translates at once)
//   VELLUM_BLOCK_LIMIT=n        instructions per block, 1 to 256
//   VELLUM_TRANSLATE_DUMP=guest|host|all|counts
// Unknown values are reported on standard error and ignored.
void configure_from_environment();

// Runs one timeslice with the chosen engine, as m68k::execute does.
int32_t execute(int32_t budget);

// Drops every translation and forgets how often each block start ran (a
// new machine: tests, fuzzers, the conformance tool).
void reset();

// Counts since the process started, for tests and tools.
struct Statistics {
  uint64_t translations = 0;
  uint64_t dropped = 0;     // by writes to their code
  uint64_t flushes = 0;     // of a full code memory
  uint64_t block_runs = 0;  // entries of translated code from the run loop
};
const Statistics& statistics();

}  // namespace translator
