#include "machine/fault_report.h"

#include <cstdio>

#include "runner/run_state.h"

namespace machine {

void register_dump() {}

void fault_report(const char* fault_name) {
  std::printf("%s", fault_name);
  register_dump();
  runner::stop_run();
}

void unhandled_write_report(uint32_t address, uint32_t value) {
  std::printf("UNHANDLED I/O WRITE %08x=%08x\n", address, value);
  register_dump();
  runner::stop_run();
}

}  // namespace machine
