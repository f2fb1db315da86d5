// GEMDOS file calls: handles, data transfer, names, attributes, times, the
// standard-handle redirection and the DTA searches. The host side of the
// handles is host_files.h, the name lookup host_paths.h, the searches
// dir_search.h.
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
void fdelete(uint32_t params);
void frename(uint32_t params);
void fattrib(uint32_t params);
void fdatime(uint32_t params);
void fdup(uint32_t params);
void fforce(uint32_t params);
void fsfirst(uint32_t params);
void fsnext(uint32_t params);


}  // namespace oscalls
