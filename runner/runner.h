// The process: start-up checks, machine set-up, program load, command tail,
// the run loop and the exit status.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cpu/cpu_state.h"

namespace runner {

// From the ROM header, read by the machine set-up.
extern uint32_t load_address;
extern uint32_t command_tail_address;

// Longest file that fits between the LoadAddress and the ROM.
inline constexpr uint32_t kMaxProgramSize = 0xFE0000 - 0x125DC;
// The ROM copies 128 bytes of the tail into the basepage: length byte, 125
// counted characters, the final space and the NUL.
inline constexpr uint32_t kMaxTailLength = 125;

// Length byte the arguments would produce (characters and separating
// spaces, the final space not counted).
uint32_t command_tail_length(int count, char* const* params);
// Writes the tail at address T: length byte, characters with inner spaces as
// 0x1A, a space after each parameter, then NUL. The caller has checked the
// length.
void write_command_tail(uint32_t tail_address, int count, char* const* params);

// Clears memory, frees the file table, installs the ROM; false when the ROM
// magic is wrong.
bool machine_setup();
// Copies the open file raw to the LoadAddress through the BounceBuffer and
// sets MallocNext. Returns the number of bytes loaded.
uint32_t load_program(std::FILE* file);

void write_memory_dump(const char* path);

// Runs one timeslice of the CPU: m68k::execute, or an engine with the same
// contract.
using TimesliceEngine = int32_t (*)(int32_t budget);

// The entry point's whole job; returns the process status.
int run(int argc, char** argv, TimesliceEngine execute = &m68k::execute);

}  // namespace runner
