// Lockstep builds (-DVELLUM_LOCKSTEP=ON) run every block twice: translated,
// then, from the same state and memory, by the interpreter for as many
// instructions as the block completed; the whole CPU state, the budget and
// every memory write must agree, or the run aborts with a report on
// standard error. Such blocks end before every call-out and return to the
// dispatcher at every exit, so what the interpreter's handlers do (an OS
// call) never runs twice.
#pragma once

#include <cstdint>

namespace translator {

// Runs the translation at `code` and checks it; returns its exit reason.
// In other builds, only runs it.
uint32_t lockstep_run(const void* code);

// True while the interpreter repeats a block: writes are recorded, not
// acted on.
bool lockstep_repeating();
// A write the interpreter made while repeating, already done.
void lockstep_interpreted_store(uint32_t address, uint32_t size);

}  // namespace translator
