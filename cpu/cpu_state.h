// The one CPU of the process: its state record and the control operations the
// rest of the system calls (init, reset, execute, timeslice, registers).
#pragma once

#include <cstddef>
#include <cstdint>

namespace m68k {

// Register identifiers for get_register / set_register.
enum CpuReg : unsigned {
  kD0 = 0,
  kD7 = 7,
  kA0 = 8,
  kA7 = 15,
  kPC = 16,
  kSR = 17,
  kSP = 18,
  kUSP = 19,
  kISP = 20,
  kMSP = 21,
  kSFC = 22,
  kDFC = 23,
  kVBR = 24,
  kCACR = 25,
  kCAAR = 26,
  kReserved27 = 27,
  kReserved28 = 28,
  kInstrAddr = 29,
  kIR = 30,
  kCpuType = 31,
};

enum CpuType : unsigned { kM68000 = 1, kM68010 = 2, kM68EC020 = 3, kM68020 = 4 };

// Which of the three cycle tables belongs to the selected model.
enum CycleTableId : uint32_t { kCycles68000 = 0, kCycles68010 = 1, kCycles68020 = 2 };

// Field order follows the documented record: all 32-bit words.
struct CpuState {
  uint32_t type_code;  // 1, 2, 4 or 8; 0 until set_cpu_type
  uint32_t dar[16];    // D0..D7 then A0..A7; A7 is the active stack pointer
  uint32_t instr_addr;
  uint32_t pc;
  uint32_t sp_slot[7];  // indexed by S | ((S >> 1) & M): 0 USP, 4 ISP, 6 MSP
  uint32_t vbr;
  uint32_t sfc, dfc;
  uint32_t cacr, caar;
  uint32_t ir;
  uint32_t t1;  // 0 or 0x8000
  uint32_t t0;  // 0 or 0x4000
  uint32_t s;   // 0 or 4
  uint32_t m;   // 0 or 2
  // Flag stores: X and C live at bit 8, N and V at bit 7, Z is set when
  // flag_z == 0. Other bits are don't-care; readers mask.
  uint32_t flag_x, flag_n, flag_z, flag_v, flag_c;
  uint32_t int_mask;       // SR bits 8-10 in place
  uint32_t pending_level;  // requested level << 8
  uint32_t stopped;        // bit 0: STOP, bit 1: pulse_halt
  uint32_t reserved27, reserved28;
  uint32_t address_mask;
  uint32_t sr_mask;
  uint32_t cycle_table;  // CycleTableId
};

extern CpuState cpu;

// Remaining cycles of the current execute call, and the budget it was given
// (as adjusted). Kept outside CpuState so contexts do not carry them.
extern int32_t cycle_budget;
extern int32_t initial_budget;

inline uint32_t& dreg(unsigned n) {
  return cpu.dar[n];
}
inline uint32_t& areg(unsigned n) {
  return cpu.dar[8 + n];
}

// Budget arithmetic wraps like the 32-bit counter it models; done unsigned so
// extreme budgets never hit signed-overflow UB.
inline void charge(int32_t units = 1) {
  cycle_budget =
      static_cast<int32_t>(static_cast<uint32_t>(cycle_budget) - static_cast<uint32_t>(units));
}

// Register number in bits 0-2 of IR (the effective address's register) and
// in bits 9-11 (the other operand's register, or a count or quick value).
inline unsigned ir_low_reg() {
  return cpu.ir & 7;
}
inline unsigned ir_high_reg() {
  return (cpu.ir >> 9) & 7;
}

// A three-bit count or quick-data field in which 0 stands for 8.
constexpr uint32_t count_field_value(uint32_t field) {
  return ((field - 1) & 7) + 1;
}

inline unsigned sp_index(uint32_t s, uint32_t m) {
  return s | ((s >> 1) & m);
}

// Status register as a 16-bit value assembled from the unpacked stores.
uint32_t sr_build();
// Loads the five flag stores from the low five bits of v.
void ccr_write(uint32_t v);
// SR write by an instruction: masks, swaps stacks on S/M change, then checks
// for a pending interrupt.
void sr_write(uint32_t v);
// SR store by the host: no stack swap, no interrupt check.
void host_sr_store(uint32_t v);

// Control interface. init registers the CPU with the machine layer
// (machine/cpu_link.h), which stops it through that link: call it before
// anything runs.
void init();
void set_cpu_type(unsigned type);
void pulse_reset();
void pulse_halt();
int32_t execute(int32_t budget);
int32_t cycles_used();
int32_t cycles_left();
void adjust_timeslice(int32_t delta);
void end_timeslice();
void set_irq_level(unsigned level);
uint32_t get_register(const void* context, unsigned id);
void set_register(unsigned id, uint32_t value);
size_t context_size();
size_t get_context(void* dst);
void set_context(const void* src);

}  // namespace m68k
