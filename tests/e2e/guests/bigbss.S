| bss.S with a BSS of 256 KiB, where the loader's 16-bit clearing count
| wraps around: elf2gemdos grows the BSS so that its clearing still covers
| the relocation table.
#define BSS_SIZE 0x40000
#include "bss.S"
