#include "oscalls/host_files.h"

namespace oscalls {

HostFileSlot host_files[kHostFileSlots];
uint8_t bounce_buffer[512];

void reset_host_files() {
  for (HostFileSlot& slot : host_files) slot = HostFileSlot{nullptr, 0};
}

}  // namespace oscalls
