// BIOS (TRAP #13), XBIOS (TRAP #14) and the AES/VDI line (TRAP #2).
#pragma once

#include <cstdint>
#include <span>

#include "oscalls/os_call_table.h"

namespace oscalls {

void bios_dispatch(uint32_t params);
void xbios_dispatch(uint32_t params);
void aes_vdi_call(uint32_t value);

// The handled calls of each layer, in number order.
std::span<const OsCall> bios_calls();
std::span<const OsCall> xbios_calls();

}  // namespace oscalls
