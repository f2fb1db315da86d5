// Process-wide values of the run: read by the run loop, set by whichever
// handler ends the run.
#pragma once

#include <cstdint>

namespace machine {

extern uint32_t quit_flag;
extern uint32_t exit_code;

// Every path that ends the run goes through here: QuitFlag and end of the
// CPU's timeslice, so execute returns after the current instruction.
void stop_run();

}  // namespace machine
