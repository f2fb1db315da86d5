// Runs one vector on the core and lists where the result differs from the
// reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vector.h"

namespace conformance {

// Compared state: D0-D7 are 0-7, A0-A6 are 8-14, then the rest.
enum class Field : uint8_t {
  kD0 = 0,
  kA0 = 8,
  kUsp = 15,
  kSsp,
  kSr,
  kPc,
  kRam,
};

struct Difference {
  Field field;
  uint32_t address;  // kRam only
  uint32_t expected;
  uint32_t actual;
};

std::string field_name(const Difference& d);

// Initialises the core once (68000 model).
void prepare_core();

// The interpreter, or the translation tier with a block of that one
// instruction translated from the vector's memory at once (an instruction
// without a translated form runs through the interpreter's handler there
// too).
enum class Engine : uint8_t { kInterpreter, kTranslator };

// Whether this build has the tier.
bool translator_available();

// Loads the vector's initial state, executes exactly one instruction and
// compares against the final state. Memory touched by the vector is cleared
// again afterwards, so the next vector starts from a zeroed store without
// clearing all 16 MB. `translated` (tier runs) tells whether the
// instruction ran as translated code.
std::vector<Difference> run_vector(const Vector& v, Engine engine = Engine::kInterpreter,
                                   bool* translated = nullptr);

// Compares the live core state with `expected` (exposed for tests).
std::vector<Difference> compare_state(const MachineState& expected);

}  // namespace conformance
