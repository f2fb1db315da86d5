// Exception processing: entry sequences, interrupts, the privilege check.
#pragma once

#include <cstdint>

namespace m68k {

inline constexpr unsigned kVectorIllegal = 4;
inline constexpr unsigned kVectorZeroDivide = 5;
inline constexpr unsigned kVectorChk = 6;
inline constexpr unsigned kVectorTrapv = 7;
inline constexpr unsigned kVectorPrivilege = 8;
inline constexpr unsigned kVectorLineA = 10;
inline constexpr unsigned kVectorLineF = 11;
inline constexpr unsigned kVectorSpurious = 15;
inline constexpr unsigned kVectorTrap0 = 32;

// Builds the frame (6 bytes on the 68000, 8 with a format word on later
// models) on the supervisor stack and jumps through the vector.
void exception_entry(unsigned vector, uint32_t stacked_pc);
void interrupt_entry(unsigned level);
// Last step of every SR write by an instruction.
void check_pending_interrupt();
// First step of every privileged instruction: true in supervisor mode;
// otherwise raises the privilege violation and returns false.
bool supervisor_or_trap();

// Handlers shared with other families.
void op_illegal();  // ILLEGAL and every opcode without a row
void op_line_a();
void op_line_f();

}  // namespace m68k
