// Reads a linked 68000 ELF executable into a ProgramImage.
//
// Expected input: a big-endian ELF32 ET_EXEC file for the 68000, linked at
// address 0 with the allocated sections .text, .data and .bss in that order
// (empty ones may be missing), and with its relocations kept in the output
// (ld -q / --emit-relocs). Gaps that alignment leaves between the sections
// are filled with zero bytes so that the segments stay contiguous.
//
// Only R_68K_32 relocations need a fix-up; PC-relative ones and R_68K_32
// against absolute symbols are position-independent already. Everything else
// is refused with a message naming the problem.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "program_image.h"

namespace elf2gemdos {

struct ReadResult {
  bool ok = false;
  std::string error;
  // Non-fatal remarks, e.g. an executable without kept relocations.
  std::vector<std::string> warnings;
};

ReadResult read_elf(const std::vector<uint8_t>& file, ProgramImage& image);

}  // namespace elf2gemdos
