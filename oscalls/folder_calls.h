// GEMDOS drive and folder calls.
#pragma once

#include <cstdint>

namespace oscalls {

void dgetdrv(uint32_t params);
void dgetpath(uint32_t params);

}  // namespace oscalls
