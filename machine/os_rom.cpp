// Installing the built-in OS ROM image (os_rom_image.cpp, generated from
// os_rom.s). Addresses in it are visible to programs, so the layout is fixed.
#include "machine/os_rom.h"

#include "machine/emu_memory.h"

namespace machine {

void install_os_rom() {
  copy_to_guest(kOsRomBase, kOsRomImage, kOsRomSize);
  copy_to_guest(0, kOsRomImage, 8);
}

bool os_rom_magic_ok() {
  return peek32(kMagicField) == kOsRomMagic;
}

}  // namespace machine
