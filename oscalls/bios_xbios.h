// BIOS (TRAP #13), XBIOS (TRAP #14) and the AES/VDI line (TRAP #2).
#pragma once

#include <cstdint>

namespace oscalls {

void bios_dispatch(uint32_t params);
void xbios_dispatch(uint32_t params);
void aes_vdi_call(uint32_t value);

}  // namespace oscalls
