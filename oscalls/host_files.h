// GEMDOS file handles 16 to 31 mapped to host file streams, GEMDOS paths
// turned into host paths, and the 512-byte BounceBuffer through which all
// file data passes.
#pragma once

#include <cstdint>
#include <cstdio>

namespace oscalls {

inline constexpr unsigned kHostFileSlots = 16;
inline constexpr unsigned kFirstFileHandle = 16;

struct HostFileSlot {
  std::FILE* stream;
  uint8_t in_use;
};

extern HostFileSlot host_files[kHostFileSlots];
extern uint8_t bounce_buffer[512];

// Marks every slot free (start-up; nothing is closed).
void reset_host_files();

}  // namespace oscalls
