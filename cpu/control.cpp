// CPU state, status-register assembly and the control interface.
#include <cstdio>
#include <cstring>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu/exceptions.h"
#include "cpu/flags.h"
#include "machine/cpu_link.h"
#include "machine/memory_bus.h"

namespace m68k {

CpuState cpu;
int32_t cycle_budget;
int32_t initial_budget;

namespace {

// A counting build keeps the number of executed instructions apart from the
// cycle budget (which charges more for some instructions) and reports it
// when the process ends; other builds compile the counter away.
#if VELLUM_COUNT_INSTRUCTIONS
uint64_t executed_instructions;
struct InstructionCountReport {
  ~InstructionCountReport() {
    std::fprintf(stderr, "vellum: %llu instructions\n",
                 static_cast<unsigned long long>(executed_instructions));
  }
} instruction_count_report;
inline void count_instruction() {
  ++executed_instructions;
}
#else
inline void count_instruction() {}
#endif

struct ModelRow {
  uint32_t type_code, address_mask, sr_mask, cycle_table;
};
constexpr ModelRow kModels[] = {
    {1, 0x00FFFFFF, 0xA71F, kCycles68000},
    {2, 0x00FFFFFF, 0xA71F, kCycles68010},
    {4, 0x00FFFFFF, 0xF71F, kCycles68020},
    {8, 0xFFFFFFFF, 0xF71F, kCycles68020},
};

uint32_t build_sr(const CpuState& st) {
  return st.t1 | st.t0 | st.int_mask | (st.s * 0x800) | (st.m * 0x800) | ((st.flag_x >> 4) & 0x10) |
         ((st.flag_n >> 4) & 0x08) | (st.flag_z == 0 ? 0x04 : 0) | ((st.flag_v >> 6) & 0x02) |
         ((st.flag_c >> 8) & 0x01);
}

// Everything of an SR value except the stack swap.
void load_sr_fields(uint32_t v) {
  cpu.t1 = v & 0x8000;
  cpu.t0 = v & 0x4000;
  cpu.int_mask = v & 0x700;
  ccr_write(v);
}

unsigned type_of_code(uint32_t code) {
  switch (code) {
    case 1:
      return 1;
    case 2:
      return 2;
    case 4:
      return 3;
    case 8:
      return 4;
    default:
      return 0;
  }
}

// What the machine layer reads and sets of the CPU (machine/cpu_link.h).
void jump_to(uint32_t pc) {
  cpu.pc = pc;
}

void read_registers(machine::CpuRegisters& out) {
  for (unsigned n = 0; n < 8; ++n) {
    out.d[n] = dreg(n);
    out.a[n] = areg(n);
  }
  out.pc = cpu.pc;
  out.sr = build_sr(cpu);
  out.usp = get_register(nullptr, kUSP);
  out.ssp = get_register(nullptr, kISP);
}

}  // namespace

uint32_t sr_build() {
  return build_sr(cpu);
}

void ccr_write(uint32_t v) {
  set_x((v << 4) & 0x100);
  set_n((v << 4) & 0x80);
  set_z((v & 4) ? 0 : 1);
  set_v((v << 6) & 0x80);
  set_c((v << 8) & 0x100);
}

void sr_write(uint32_t value) {
  uint32_t v = value & cpu.sr_mask;
  load_sr_fields(v);
  cpu.sp_slot[sp_index(cpu.s, cpu.m)] = areg(7);
  cpu.s = (v >> 11) & 4;
  cpu.m = (v >> 11) & 2;
  areg(7) = cpu.sp_slot[sp_index(cpu.s, cpu.m)];
  check_pending_interrupt();
}

void host_sr_store(uint32_t value) {
  uint32_t v = value & cpu.sr_mask;
  load_sr_fields(v);
  cpu.s = (v >> 11) & 4;
  cpu.m = (v >> 11) & 2;
}

// The decode tables are constant data, built when vellum is compiled; what
// is left is to hand the machine layer the entry points it needs.
void init() {
  machine::register_cpu({&end_timeslice, &jump_to, &read_registers});
}

void set_cpu_type(unsigned type) {
  if (type < 1 || type > 4) return;
  const ModelRow& row = kModels[type - 1];
  cpu.type_code = row.type_code;
  cpu.address_mask = row.address_mask;
  cpu.sr_mask = row.sr_mask;
  cpu.cycle_table = row.cycle_table;
}

void pulse_reset() {
  cpu.stopped = 0;
  cycle_budget = 0;
  cpu.t1 = 0;
  cpu.t0 = 0;
  cpu.int_mask = 0x700;
  cpu.vbr = 0;
  cpu.sp_slot[sp_index(cpu.s, cpu.m)] = areg(7);
  cpu.s = 4;
  cpu.m = 0;
  areg(7) = cpu.sp_slot[4];
  areg(7) = machine::Read32(0);
  cpu.pc = machine::Read32(4 & cpu.address_mask);
}

void pulse_halt() {
  cpu.stopped |= 2;
}

int32_t execute(int32_t budget) {
  if (cpu.stopped != 0) {
    cycle_budget = 0;
    return budget;
  }
  initial_budget = budget;
  cycle_budget = budget;
  charge();
  do {
    const uint32_t pc = cpu.pc;
    store_word(cpu.instr_addr, pc);
    store_word(cpu.pc, pc + 2);
    cpu.ir = machine::Read16(pc & cpu.address_mask) & 0xFFFF;
    instruction_jump_table[cpu.ir]();
    count_instruction();
    charge();
  } while (cycle_budget > 0);
  charge();
  cpu.instr_addr = cpu.pc;
  return cycles_used();
}

int32_t cycles_used() {
  return static_cast<int32_t>(static_cast<uint32_t>(initial_budget) -
                              static_cast<uint32_t>(cycle_budget));
}

int32_t cycles_left() {
  return cycle_budget;
}

void adjust_timeslice(int32_t delta) {
  initial_budget =
      static_cast<int32_t>(static_cast<uint32_t>(initial_budget) + static_cast<uint32_t>(delta));
  cycle_budget =
      static_cast<int32_t>(static_cast<uint32_t>(cycle_budget) + static_cast<uint32_t>(delta));
}

void end_timeslice() {
  initial_budget = cycle_budget;
  cycle_budget = 0;
}

uint32_t get_register(const void* context, unsigned id) {
  CpuState saved;
  if (context) std::memcpy(&saved, context, sizeof saved);
  const CpuState& st = context ? saved : cpu;
  if (id <= 15) return st.dar[id];
  switch (id) {
    case kPC:
      return st.pc;
    case kSR:
      return build_sr(st);
    case kSP:
      return st.dar[15];
    case kUSP:
      return st.s ? st.sp_slot[0] : st.dar[15];
    case kISP:
      return (st.s && !st.m) ? st.dar[15] : st.sp_slot[4];
    case kMSP:
      return (st.s && st.m) ? st.dar[15] : st.sp_slot[6];
    case kSFC:
      return st.sfc;
    case kDFC:
      return st.dfc;
    case kVBR:
      return st.vbr;
    case kCACR:
      return st.cacr;
    case kCAAR:
      return st.caar;
    case kReserved27:
      return st.reserved27;
    case kReserved28:
      return st.reserved28;
    case kInstrAddr:
      return st.instr_addr;
    case kIR:
      return st.ir;
    case kCpuType:
      return type_of_code(st.type_code);
    default:
      return 0;
  }
}

void set_register(unsigned id, uint32_t value) {
  if (id <= 15) {
    cpu.dar[id] = value;
    return;
  }
  switch (id) {
    case kPC:
      cpu.pc = value;
      break;
    case kSR:
      host_sr_store(value);
      break;
    case kSP:
      cpu.dar[15] = value;
      break;
    case kUSP:
      if (cpu.s)
        cpu.sp_slot[0] = value;
      else
        cpu.dar[15] = value;
      break;
    case kISP:
      if (cpu.s && !cpu.m)
        cpu.dar[15] = value;
      else
        cpu.sp_slot[4] = value;
      break;
    case kMSP:
      if (cpu.s && cpu.m)
        cpu.dar[15] = value;
      else
        cpu.sp_slot[6] = value;
      break;
    case kSFC:
      cpu.sfc = value & 7;
      break;
    case kDFC:
      cpu.dfc = value & 7;
      break;
    case kVBR:
      cpu.vbr = value;
      break;
    case kCACR:
      cpu.cacr = value;
      break;
    case kCAAR:
      cpu.caar = value;
      break;
    case kInstrAddr:
      cpu.instr_addr = value;
      break;
    case kIR:
      cpu.ir = value & 0xFFFF;
      break;
    case kCpuType:
      set_cpu_type(value);
      break;
    default:
      break;
  }
}

size_t context_size() {
  return sizeof(CpuState);
}

size_t get_context(void* dst) {
  if (dst) std::memcpy(dst, &cpu, sizeof cpu);
  return sizeof cpu;
}

void set_context(const void* src) {
  if (src) std::memcpy(&cpu, src, sizeof cpu);
}

}  // namespace m68k
