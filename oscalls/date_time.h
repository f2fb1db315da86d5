// Date and time calls: the host's local clock in GEMDOS packing.
#pragma once

#include <cstdint>
#include <ctime>

#include "oscalls/call_params.h"

namespace oscalls {

void tgetdate();
void tgettime();
// XBIOS Gettime: both in one long, date in the high word. Settime leaves the
// host's clock alone (a program cannot set it) and D0 as it was, since the
// call has no answer.
void gettime();
void settime(Pointer datetime);

// GEMDOS packing of a broken-down local time: hour:5 minute:6 second/2:5,
// and years-since-1980:7 month:4 day:5.
int32_t pack_gemdos_time(const std::tm& t);
int32_t pack_gemdos_date(const std::tm& t);

}  // namespace oscalls
