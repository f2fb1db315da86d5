// GEMDOS file calls: handles, data transfer, attributes and the DTA. The
// host side of the handles is host_files.h.
#pragma once

#include <cstdint>

namespace oscalls {

// The DTA address, kept per process: a child starts with its own and the
// parent's comes back when the child ends.
uint32_t dta();
void set_dta(uint32_t address);

void fsetdta(uint32_t params);
void fgetdta(uint32_t params);
void fcreate(uint32_t params);
void fopen_call(uint32_t params);
void fclose_call(uint32_t params);
void fread_call(uint32_t params);
void fwrite_call(uint32_t params);
void fseek_call(uint32_t params);
void fattrib(uint32_t params);
void fforce(uint32_t params);

}  // namespace oscalls
