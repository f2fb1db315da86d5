// GEMDOS (TRAP #1): the host side of the program's DOS calls.
#pragma once

#include <cstdint>

namespace oscalls {

// Called by the MemoryBus with the parameter pointer the ROM stub wrote.
void gemdos_dispatch(uint32_t params);

}  // namespace oscalls
