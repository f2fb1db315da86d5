// The CPU as machine/ reaches it. The CPU sits above this layer and uses
// its memory bus; the few things the machine needs back (ending the current
// timeslice whenever the run stops, setting PC for the bus-error redirect,
// the registers for the fault report) come through entry points the CPU
// registers when it is initialised, as the OS-call layer registers its
// channel handlers. So nothing in machine/ includes cpu/.
#pragma once

#include <cstdint>

namespace machine {

// The registers a fault report shows.
struct CpuRegisters {
  uint32_t d[8];
  uint32_t a[8];  // a[7] is the active stack pointer
  uint32_t pc;
  uint32_t sr;
  uint32_t usp;
  uint32_t ssp;  // the interrupt stack pointer
};

struct CpuLink {
  void (*end_timeslice)();  // execute returns after the current instruction
  void (*set_pc)(uint32_t pc);
  void (*read_registers)(CpuRegisters& registers);
};

// Until a CPU registers, there is none to stop or move, and its registers
// read as 0.
void register_cpu(const CpuLink& link);

// Through the registered CPU. end_cpu_timeslice only calls the CPU's
// end_timeslice, which stores two integers: safe in a signal handler.
void end_cpu_timeslice();
void set_cpu_pc(uint32_t pc);
CpuRegisters cpu_registers();

}  // namespace machine
