#include "machine/run_state.h"

#include "cpu/cpu_state.h"

namespace machine {

uint32_t quit_flag;
uint32_t exit_code;

void stop_run() {
  quit_flag = 1;
  m68k::end_timeslice();
}

}  // namespace machine
