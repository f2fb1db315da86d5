// The guest side of a translation in words, for VELLUM_TRANSLATE_DUMP and
// the lockstep report: each instruction's address, words, form and the
// flags live after it.
#pragma once

#include <cstdio>

#include "translator/guest_block.h"

namespace translator {

const char* kind_name(Kind kind);
void dump_guest_block(std::FILE* out, const GuestBlock& block);

}  // namespace translator
