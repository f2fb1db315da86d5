// What a program learns when it asks which OS it runs on.
#pragma once

#include <cstdint>

#include "oscalls/call_params.h"

namespace oscalls {

// GEMDOS 0.15, stored as the OS stores it: major number in the low byte,
// minor in the high one. It is the version before the calls vellum does not
// have (the extended memory allocation of 0.19, for one), so a library that
// checks the version does not count on them.
inline constexpr uint32_t kGemdosVersion = 0x1500;

void sversion();
// A call of a later OS that libraries make at start-up to find out whether
// that OS is there: "invalid function" is the answer they expect from this
// one, so it comes without the unhandled-call line, which would land in the
// program's output.
void pdomain(Word domain);

}  // namespace oscalls
