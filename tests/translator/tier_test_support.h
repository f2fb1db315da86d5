// Helpers for the tier's tests: a machine with every exception vector on a
// small handler, programs loaded at the code address, a recorder behind the
// GEMDOS trap channel that ends the run, and a run to its end through either
// engine.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"

namespace tiertest {

inline constexpr uint32_t kCodeAddress = 0x1000;
// Every vector leads here: ADDQ.L #1,D7 then RTE.
inline constexpr uint32_t kHandlerAddress = 0x2000;
// Data the programs address (A0-A6 start nearby).
inline constexpr uint32_t kDataAddress = 0x3000;
// Memory compared between runs: everything the programs can reach.
inline constexpr uint32_t kComparedBytes = 0x10000;

struct Program {
  const char* name;
  std::vector<uint16_t> words;
};

inline void PrintTo(const Program& p, std::ostream* os) {
  *os << p.name;
}

// The programs of tier_programs.cpp: each ends by a long written to the
// GEMDOS channel, which records the budget and ends the run.
const std::vector<Program>& tier_programs();
// The same for the host-register state (tier_state_programs.cpp).
const std::vector<Program>& state_programs();

struct Outcome {
  m68k::CpuState cpu{};
  int32_t budget_at_end = 0;  // as the recorder saw it, or the run's last
  int32_t cycles_used = 0;
  bool recorded = false;
  std::vector<uint8_t> memory;
  std::string output;  // what the run printed
};

// A fresh machine: memory cleared, no translation, supervisor mode, the
// vectors and their handler, registers with patterns pointing into data.
void fresh_machine();
// Loads the words at the code address and points PC there.
void load(const std::vector<uint16_t>& words, uint32_t at = kCodeAddress);
// Runs from PC until the recorder or a stop ends the run; `translated`
// selects the tier (translating every block at its first run) or the
// interpreter alone.
Outcome run(bool translated);

// The same words run from a fresh machine by the interpreter, then by the
// tier.
struct BothRuns {
  Outcome interpreter;
  Outcome tier;
};
BothRuns run_both(const std::vector<uint16_t>& words);

// The CCR a state's flag stores mean.
uint32_t ccr_of(const m68k::CpuState& s);

}  // namespace tiertest
