#include "runner/run_state.h"

#include "cpu/cpu_state.h"

namespace runner {

uint32_t quit_flag;
uint32_t exit_code;
uint32_t load_address;
uint32_t command_tail_address;
uint32_t malloc_next;

void stop_run() {
  quit_flag = 1;
  m68k::end_timeslice();
}

}  // namespace runner
