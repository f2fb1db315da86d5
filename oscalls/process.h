// Process calls: the ends of the run, the supervisor switch and the probes
// for a later OS.
#pragma once

#include <cstdint>

namespace oscalls {

void pterm0(uint32_t params);
void pterm(uint32_t params);
void super(uint32_t params);
void ssystem(uint32_t params);

}  // namespace oscalls
