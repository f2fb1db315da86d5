// VELLUM_TRANSLATE_DUMP=counts: which guest instructions ran as translated
// forms, as call-outs inside translated blocks, and on the interpreter
// outside them, by the interpreter's family name, reported on standard
// error when the process ends.
//
// A translated block counts its entries (one increment at its start, also
// when entered by a chained jump); each entry is charged its whole static
// composition, so a block left early (a bail, a taken branch out of a
// call-out) counts a few instructions it did not run. The run loop's
// interpreter counts each instruction it runs.
#pragma once

#include <cstdint>
#include <cstdio>

#include "translator/guest_block.h"

namespace translator {

// True when counting is on (the setting, read once at start-up).
bool coverage_counting();
// The entry counter of a new translation of `block`; translated code
// increments it at every entry.
uint64_t* coverage_block_counter(const GuestBlock& block);
// An instruction the run loop's interpreter ran (outside translated code).
void coverage_interpreted(uint16_t opcode);
// The report, also written at exit; for tests.
void write_coverage_report(std::FILE* out);

}  // namespace translator
