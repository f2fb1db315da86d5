// Loading a child program for Pexec: its program file opened by the file
// calls' path rules, the header checked against what the file holds, text and
// data copied, the relocation table applied, the BSS cleared, and the
// basepage built with its environment copy and command line.
//
// The first program is not loaded here: the ROM's reset routine loads it.
#pragma once

#include <cstdint>
#include <cstdio>

namespace oscalls {

inline constexpr int32_t kNotEnoughMemory = -39;
inline constexpr int32_t kInvalidMemoryBlock = -40;
inline constexpr int32_t kNotProgramFile = -66;

// Stack room a child must have above its BSS; less than this is "not enough
// memory" rather than a program that overruns its stack at once.
inline constexpr uint32_t kMinimumChildStack = 0x800;
// Longest environment copied for a child (strings and the final NUL): more
// than the first program's ARGV environment can take, so that a parent's
// argument list reaches its child whole.
inline constexpr uint32_t kMaxEnvironment = 0x20000;
// Where a new basepage may go and what it is given.
struct NewProcess {
  uint32_t start;        // first free byte (the parent's next Malloc address)
  uint32_t limit;        // first byte the child may not use
  uint32_t parent;       // the parent's basepage
  uint32_t tail;         // the command line to copy; 0 gives an empty one
  uint32_t environment;  // the environment to copy; 0 gives an empty one
};

struct LoadedProcess {
  uint32_t region_start;  // the environment copy, the lowest byte used
  uint32_t basepage;
  uint32_t image_end;  // first byte above the BSS (above the basepage for mode 5)
};

// The program file named at guest address `name`, opened for reading; null
// when there is none (missing, or not a regular file). The one place that
// turns a Pexec name into a host file.
std::FILE* open_program_file(uint32_t name);

// Mode 5: environment copy and a basepage whose segments are empty and
// start at basepage + 0x100. Answers 0 or a GEMDOS error.
int32_t create_basepage(const NewProcess& request, LoadedProcess& out);

// Modes 0 and 3: the program file loaded, relocated and given its basepage.
// Nothing is written to guest memory unless the program fits. Answers 0 or
// a GEMDOS error (-33, -39, -66).
int32_t load_program_file(uint32_t name, const NewProcess& request, LoadedProcess& out);

}  // namespace oscalls
