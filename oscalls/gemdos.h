// GEMDOS (TRAP #1): the host side of the program's DOS calls.
#pragma once

#include <cstdint>
#include <ctime>
#include <span>

#include "oscalls/param_stream.h"

namespace oscalls {

// Called by the MemoryBus with the parameter pointer the ROM stub wrote.
void gemdos_dispatch(uint32_t params);

// The handled calls, in number order.
std::span<const OsCall> gemdos_calls();

// GEMDOS packing of a broken-down local time: hour:5 minute:6 second/2:5,
// and years-since-1980:7 month:4 day:5.
int32_t pack_gemdos_time(const std::tm& t);
int32_t pack_gemdos_date(const std::tm& t);

// The long at 0x436: the top of the memory Malloc hands out.
inline constexpr uint32_t kMemoryTopAddress = 0x436;

}  // namespace oscalls
