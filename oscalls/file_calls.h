// GEMDOS file calls: handles, data transfer, names, attributes, times, the
// standard-handle redirection and the DTA searches. The host side of the
// handles is host_files.h, the name lookup host_paths.h, the searches
// dir_search.h.
#pragma once

#include <cstdint>

#include "oscalls/call_params.h"

namespace oscalls {

void fsetdta(Pointer dta);
void fgetdta();
void fcreate(StringPointer path, Word attributes);
void fopen_call(StringPointer path, Word mode);
void fclose_call(SignedWord handle);
void fread_call(SignedWord handle, Long count, Pointer buffer);
void fwrite_call(SignedWord handle, Long count, Pointer buffer);
void fseek_call(Long offset, SignedWord handle, Word mode);
void fdelete(StringPointer path);
void frename(Word reserved, StringPointer old_path, StringPointer new_path);
void fattrib(StringPointer path, Word wflag, Word wanted);
void fdatime(Pointer buffer, SignedWord handle, Word flag);
void fdup(SignedWord standard);
void fforce(SignedWord standard, SignedWord other);
void fsfirst(StringPointer pattern, Word attributes);
void fsnext();

}  // namespace oscalls
