#include "machine/cpu_link.h"

namespace machine {

namespace {

void no_timeslice() {}
void no_pc(uint32_t) {}
void no_registers(CpuRegisters& registers) {
  registers = CpuRegisters{};
}

// Constant-initialised, so a signal handler that runs before any CPU has
// registered finds a function to call.
constinit CpuLink cpu_link{&no_timeslice, &no_pc, &no_registers};

}  // namespace

void register_cpu(const CpuLink& link) {
  cpu_link = link;
}

void end_cpu_timeslice() {
  cpu_link.end_timeslice();
}

void set_cpu_pc(uint32_t pc) {
  cpu_link.set_pc(pc);
}

CpuRegisters cpu_registers() {
  CpuRegisters registers;
  cpu_link.read_registers(registers);
  return registers;
}

}  // namespace machine
