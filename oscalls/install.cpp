#include "oscalls/install.h"

#include <cstdio>

#include "machine/memory_bus.h"
#include "oscalls/bios_xbios.h"
#include "oscalls/file_calls.h"
#include "oscalls/gemdos.h"
#include "oscalls/host_files.h"
#include "oscalls/memory.h"

namespace oscalls {

void install_os_calls() {
  using machine::OsChannel;
  machine::register_os_channel(OsChannel::kGemdos, gemdos_dispatch);
  machine::register_os_channel(OsChannel::kAesVdi, aes_vdi_call);
  machine::register_os_channel(OsChannel::kBios, bios_dispatch);
  machine::register_os_channel(OsChannel::kXbios, xbios_dispatch);
}

void reset_os_state() {
  for (HostFileSlot& slot : host_files)
    if (slot.in_use && slot.stream) std::fclose(slot.stream);
  reset_host_files();
  reset_file_calls();
  malloc_next = 0;
}

}  // namespace oscalls
