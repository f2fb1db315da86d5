// The process: start-up checks, machine set-up, program load, command tail,
// the run loop and the exit status.
#pragma once

#include <cstdint>
#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/os_rom_symbols.h"
#include "runner/command_line.h"

namespace runner {

// From the ROM header, read by the machine set-up.
extern uint32_t load_address;
extern uint32_t command_tail_address;

// Longest file that fits between the LoadAddress and the ROM.
inline constexpr uint32_t kMaxProgramSize = machine::kOsRomBase - machine::kLoadAddress;

// Clears memory, frees the file table, installs the ROM; false when the ROM
// magic is wrong.
bool machine_setup();
// Copies the open file raw to the LoadAddress and starts the first
// program's Malloc at its end. Returns the number of bytes loaded.
uint32_t load_program(std::FILE* file);

void write_memory_dump(const char* path);

// Runs one timeslice of the CPU: m68k::execute, or an engine with the same
// contract.
using TimesliceEngine = int32_t (*)(int32_t budget);

// The entry point's whole job; returns the process status.
int run(int argc, char** argv, TimesliceEngine execute = &m68k::execute);

}  // namespace runner
