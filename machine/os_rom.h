// Built-in OS ROM image, installed at 0xFE0000 with its first 8 bytes (the
// reset stack pointer and PC) mirrored to address 0.
#pragma once

#include <cstdint>

namespace machine {

inline constexpr uint32_t kOsRomBase = 0xFE0000;
inline constexpr uint32_t kOsRomSize = 0x37C;
inline constexpr uint32_t kOsRomMagic = 0x454D5520;  // "EMU "
inline constexpr uint32_t kExceptionStubs = 0xFE0142;
inline constexpr uint32_t kGemdosStub = 0xFE023A;
inline constexpr uint32_t kAesVdiStub = 0xFE024E;
inline constexpr uint32_t kBiosStub = 0xFE0254;
inline constexpr uint32_t kXbiosStub = 0xFE0268;
inline constexpr uint32_t kCommandTailBuffer = 0xFE027C;
// The header long the reset routine takes the first program's environment
// address from; the image holds the empty environment below the basepage.
inline constexpr uint32_t kEnvironmentField = kOsRomBase + 0x14;
inline constexpr uint32_t kEmptyEnvironment = 0x124E8;
// The AES/VDI stub's RTE. The host returns through it from an exception it
// served itself (a Line-A call), so the frame's SR and PC come back as an
// exception handler's RTE gives them.
inline constexpr uint32_t kRomExceptionReturn = kAesVdiStub + 4;

// The memory between the ROM image and the I/O region is no program's: the
// OS keeps its own data there. Line-A's variables, fonts and routine table
// (oscalls/line_a) come first; the first program's environment lives above
// them when its parameters go by the ARGV convention, up to the I/O region.
inline constexpr uint32_t kLineAArea = 0xFE0400;
inline constexpr uint32_t kLongEnvironment = 0xFE3000;

extern const uint8_t kOsRomImage[kOsRomSize];

void install_os_rom();
bool os_rom_magic_ok();

}  // namespace machine
