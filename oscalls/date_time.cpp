#include "oscalls/date_time.h"

#include "oscalls/os_call_table.h"

namespace oscalls {

namespace {

void read_local_time(std::tm& out) {
  const std::time_t now = std::time(nullptr);
  const std::tm* t = std::localtime(&now);
  out = t ? *t : std::tm{};
}

}  // namespace

int32_t pack_gemdos_time(const std::tm& t) {
  return t.tm_hour * 2048 + t.tm_min * 32 + t.tm_sec / 2;
}

int32_t pack_gemdos_date(const std::tm& t) {
  return (t.tm_year + 1900 - 1980) * 512 + (t.tm_mon + 1) * 32 + t.tm_mday;
}

void tgetdate() {
  std::tm t;
  read_local_time(t);
  set_d0_signed(pack_gemdos_date(t));
}

void tgettime() {
  std::tm t;
  read_local_time(t);
  set_d0_signed(pack_gemdos_time(t));
}

// One reading for both halves, so they cannot straddle midnight.
void gettime() {
  std::tm t;
  read_local_time(t);
  set_d0(static_cast<uint32_t>(pack_gemdos_date(t)) << 16 |
         static_cast<uint32_t>(pack_gemdos_time(t)));
}

void settime(Pointer) {}

}  // namespace oscalls
