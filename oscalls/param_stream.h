// ParamStream: the cursor from which OS-call parameters are read, big-endian,
// straight from guest memory.
#pragma once

#include <cstdint>

namespace oscalls {

void param_start(uint32_t address);
uint32_t param_read16();
uint32_t param_read32();

}  // namespace oscalls
