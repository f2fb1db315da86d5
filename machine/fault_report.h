// Reports that end the run: a CPU exception caught by a ROM exception stub,
// or a write to an I/O address that means nothing. Both print the register
// dump and stop the run.
#pragma once

#include <cstdint>

namespace machine {

void fault_report(const char* fault_name);
void unhandled_write_report(uint32_t address, uint32_t value);
void register_dump();

}  // namespace machine
