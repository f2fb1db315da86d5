// GEMDOS (TRAP #1): the layer's one table of handled calls and its dispatch.
// The handlers live in files by area: console, file_calls, folder_calls,
// memory, process, date_time.
#pragma once

#include <cstdint>
#include <span>

#include "oscalls/os_call_table.h"

namespace oscalls {

// Called through the trap channel with the parameter pointer the ROM stub
// wrote.
void gemdos_dispatch(uint32_t params);

// The handled calls, in number order.
std::span<const OsCall> gemdos_calls();

}  // namespace oscalls
