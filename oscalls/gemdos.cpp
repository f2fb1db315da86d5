#include "oscalls/gemdos.h"

#include "machine/emu_memory.h"
#include "runner/run_state.h"

namespace oscalls {

void gemdos_dispatch(uint32_t params) {
  uint32_t function = machine::peek16(params);
  if (function == 0x00 || function == 0x4C) {
    if (function == 0x4C) runner::exit_code = machine::peek16(params + 2);
    runner::stop_run();
  }
}

}  // namespace oscalls
