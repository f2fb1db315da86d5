// GEMDOS file calls: handles, data transfer, attributes and the DTA. The
// host side of the handles is host_files.h.
#pragma once

#include <cstdint>

namespace oscalls {

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

// Back to the state of a fresh process (no DTA set), for a host that runs
// several programs in one process.
void reset_file_calls();

}  // namespace oscalls
