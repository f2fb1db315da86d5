#include "machine/fault_report.h"

#include <cstdio>

#include "machine/cpu_link.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "machine/trace.h"

namespace machine {

namespace {

// Four longs from `base` on, each read directly (masked to 24 bits, bytes
// past 0xFFFFFF wrapping to 0), between a label and a line ending.
void print_four_longs(const char* label, uint32_t base, const char* end) {
  std::printf("%s%08x %08x %08x %08x%s", label, peek32(base), peek32(base + 4), peek32(base + 8),
              peek32(base + 12), end);
}

// A stack pointer, then the sixteen bytes above it read at even and at odd
// word offsets, so a frame shows up whichever alignment it has.
void print_stack(const char* title, const char* name, uint32_t sp) {
  std::printf("%s Stack Pointer=%08x\n", title, sp);
  const uint32_t at = sp & kAddressMask;
  char label[16];
  std::snprintf(label, sizeof label, "0(%s)=", name);
  print_four_longs(label, at, "\n");
  std::snprintf(label, sizeof label, "2(%s)=", name);
  print_four_longs(label, at + 2, "\n\n");
}

}  // namespace

void register_dump() {
  const CpuRegisters r = cpu_registers();
  std::printf("PC=%08x  ", r.pc);
  // The word on top of the current stack: inside an exception stub, the
  // status register of the interrupted code.
  std::printf("SSR=%04x  USR=%04x\n\n", r.sr, peek16(r.a[7] & kAddressMask));

  print_stack("USR", "USP", r.usp);
  print_stack("SYS", "SSP", r.ssp);

  for (unsigned n = 0; n < 7; ++n) {
    std::printf("D%u=%08x  A%u=%08x  ", n, r.d[n], n, r.a[n]);
    char label[8];
    std::snprintf(label, sizeof label, "(A%u)=", n);
    print_four_longs(label, r.a[n], "\n");
  }
  std::printf("D7=%08x\n\n", r.d[7]);

  // Vectors 0 to 63, four to a line.
  for (uint32_t k = 0; k < 0x100; k += 0x10)
    std::printf("%08X: %08X %08X %08X %08X\n", k, peek32(k), peek32(k + 4), peek32(k + 8),
                peek32(k + 12));
}

void fault_report(const char* fault_name) {
  trace_printf("FAULT %sPC=%08x\n", fault_name, cpu_registers().pc);
  std::printf("%s", fault_name);
  register_dump();
  fail_run();
}

void unhandled_write_report(uint32_t address, uint32_t value) {
  trace_printf("FAULT UNHANDLED I/O WRITE %08x=%08x PC=%08x\n", address, value, cpu_registers().pc);
  std::printf("UNHANDLED I/O WRITE %08x=%08x\n", address, value);
  register_dump();
  fail_run();
}

}  // namespace machine
