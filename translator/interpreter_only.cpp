// The engine interface of a build without the tier (no asmjit, a host other
// than x86-64, or a build that counts instructions): the interpreter runs
// everything and the tier's settings change nothing.
#include "cpu/cpu_state.h"
#include "translator/engine.h"

namespace translator {

namespace {
Settings current{Engine::kInterpreter};
Statistics counters;
}  // namespace

bool available() {
  return false;
}

Settings& settings() {
  return current;
}

const Statistics& statistics() {
  return counters;
}

void configure_from_environment() {}

int32_t execute(int32_t budget) {
  return m68k::execute(budget);
}

void reset() {}

}  // namespace translator
