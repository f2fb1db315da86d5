// The tier's run loop: one timeslice, translated blocks where there are
// some, the interpreter's handlers everywhere else.
#pragma once

#include <cstdint>

namespace translator {

// As m68k::execute: the same budget rules, the same state at the end.
int32_t execute_translated(int32_t budget);
// Forgets how often each block start ran.
void reset_hot_counters();

}  // namespace translator
