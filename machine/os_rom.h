// Built-in OS ROM image, installed at 0xFE0000 with its first 8 bytes (the
// reset stack pointer and PC) mirrored to address 0. Its source is
// machine/os_rom.s; the bytes (os_rom_image.cpp) and the addresses and values
// the host needs (os_rom_symbols.h) are generated from it by
// tools/make_os_rom.py.
#pragma once

#include <cstdint>

#include "machine/os_rom_symbols.h"

namespace machine {

// The memory between the ROM image and the I/O region is no program's: the
// OS keeps its own data there. Line-A's variables, fonts and routine table
// (oscalls/line_a) come first; the first program's environment lives above
// them when its parameters go by the ARGV convention, up to the I/O region.
inline constexpr uint32_t kLineAArea = 0xFE0400;
inline constexpr uint32_t kLongEnvironment = 0xFE3000;
static_assert(kLineAArea >= kOsRomBase + kOsRomSize, "the OS data lies above the image");

extern const uint8_t kOsRomImage[kOsRomSize];

void install_os_rom();
bool os_rom_magic_ok();

}  // namespace machine
