#include "oscalls/bios_xbios.h"

#include <cstdio>

namespace oscalls {

void bios_dispatch(uint32_t) {}
void xbios_dispatch(uint32_t) {}
void aes_vdi_call(uint32_t) { std::puts("UNHANDLED AES/VDI CALL"); }

}  // namespace oscalls
