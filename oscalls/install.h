// Connects the OS-call layer to the ROM's trap channels.
#pragma once

namespace oscalls {

// Registers the GEMDOS, BIOS, XBIOS and AES/VDI handlers with the bus.
void install_os_calls();

}  // namespace oscalls
