// Console calls: character and string output to standard output, and the
// console status calls.
#pragma once

#include <cstdint>

namespace oscalls {

void cconws(uint32_t params);
// The status and input calls of a console without input: nothing waiting.
void answer_zero(uint32_t params);

}  // namespace oscalls
