#include "oscalls/install.h"

#include <unistd.h>

#include "machine/memory_bus.h"
#include "oscalls/bios_xbios.h"
#include "oscalls/console.h"
#include "oscalls/gemdos.h"
#include "oscalls/host_files.h"
#include "oscalls/line_a.h"
#include "oscalls/process.h"

namespace oscalls {

void install_os_calls() {
  console_reset(STDIN_FILENO);
  using machine::OsChannel;
  machine::register_os_channel(OsChannel::kGemdos, gemdos_dispatch);
  machine::register_os_channel(OsChannel::kAesVdi, aes_vdi_call);
  machine::register_os_channel(OsChannel::kBios, bios_dispatch);
  machine::register_os_channel(OsChannel::kXbios, xbios_dispatch);
  install_line_a();
}

void reset_os_state() {
  close_all_files();
  reset_host_files();  // the searches and the DTA too
  reset_processes();   // the Malloc state too
}

}  // namespace oscalls
