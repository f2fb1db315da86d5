// Connects the OS-call layer to the ROM's trap channels.
#pragma once

namespace oscalls {

// Registers the GEMDOS, BIOS, XBIOS and AES/VDI handlers and the Line-A
// calls with the bus (after the memory clear of the machine set-up).
void install_os_calls();

// Closes every file the last program left open and forgets its OS state
// (DTA, Malloc pointer), so one process can run program after program: the
// fuzz targets do. The normal runner runs one program and never needs it.
void reset_os_state();

}  // namespace oscalls
