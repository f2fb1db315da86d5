#include "oscalls/folder_calls.h"

#include "oscalls/host_files.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

// The program always runs on drive C.
void dgetdrv(uint32_t) {
  set_d0(2);
}

void dgetpath(uint32_t) {
  uint32_t buffer = param_read32();
  uint32_t drive = param_read16();
  set_d0_signed(copy_working_directory(buffer, drive));
}

}  // namespace oscalls
