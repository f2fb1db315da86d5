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

extern const uint8_t kOsRomImage[kOsRomSize];

void install_os_rom();
bool os_rom_magic_ok();

}  // namespace machine
