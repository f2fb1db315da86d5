// ParamStream: the cursor from which OS-call parameters are read, big-endian,
// straight from guest memory. Only the dispatch reads it, once per call, for
// the function number and the row's parameters (os_call_table.cpp).
#pragma once

#include <cstdint>

namespace oscalls {

void param_start(uint32_t address);
uint32_t param_read16();
uint32_t param_read32();

}  // namespace oscalls
