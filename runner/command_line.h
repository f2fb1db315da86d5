// The program's parameters as it receives them: the command line in its
// basepage, and for a list that line cannot hold, the ARGV environment.
//
// The ROM copies 128 bytes of the command tail into the basepage: length
// byte, 125 counted characters, the final space and the NUL. A longer list
// goes by the ARGV convention of the period's C libraries: the length byte
// is 127, and the environment holds the string "ARGV=" followed by every
// argument, the program's own name first, each a NUL-terminated string, and
// an empty string at the end. A library that knows the convention reads its
// arguments whole from there; any other program sees the first 125
// characters of the usual command line.
//
// That environment lives above the ROM, from kLongEnvironment up to the I/O
// region (the 16 bytes below the basepage hold only the empty one); the ROM's
// reset routine takes its address from the ROM header.
#pragma once

#include <cstdint>

#include "machine/emu_memory.h"
#include "machine/os_rom.h"

namespace runner {

inline constexpr uint32_t kMaxTailLength = 125;
// The command line's length byte that says "the arguments are in ARGV".
inline constexpr uint8_t kArgvLengthByte = 127;
// Bytes the ARGV environment may take: up to the I/O region.
inline constexpr uint32_t kMaxArgvEnvironment = machine::kIoRegionStart - machine::kLongEnvironment;

// Length byte the arguments would produce (characters and separating
// spaces, the final space not counted).
uint32_t command_tail_length(int count, char* const* params);
// Writes the tail at address T: length byte, characters with inner spaces as
// 0x1A, a space after each parameter, then NUL. The caller has checked the
// length.
void write_command_tail(uint32_t tail_address, int count, char* const* params);

// The parameters into guest memory, as the program will receive them: the
// command line at the tail address, and for a list too long for it, the
// ARGV environment at kLongEnvironment with the ROM header pointing there.
// The caller has checked that the environment fits (argv_environment_needed).
void write_parameters(uint32_t tail_address, const char* program, int count, char* const* params);

// 0 when the parameters fit the command line; otherwise the bytes of the
// ARGV environment for the program file `program` (as vellum was given it)
// and its parameters, the final empty string included.
uint32_t argv_environment_needed(const char* program, int count, char* const* params);

// Writes that environment at `at`. The program's name is its path with '\'
// for '/', a name the program can hand back to the file calls and split at
// '\' to find its folder. An empty argument, which would end the list, is a
// single space there, and the variable reads "ARGV=NULL:" with the indexes
// of the empty ones, comma-separated, which the libraries that know the
// convention turn back into empty arguments.
void write_argv_environment(uint32_t at, const char* program, int count, char* const* params);

// The command line for such a list at the tail address: the length byte 127,
// the first 125 characters of the ordinary tail, NUL.
void write_argv_command_tail(uint32_t tail_address, int count, char* const* params);

}  // namespace runner
