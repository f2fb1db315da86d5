/* Tgetdate and Tgettime: the packed fields must be in range, since the exact
   values depend on the host clock. */
#include "rt.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  long date = Tgetdate();
  long time = Tgettime();
  check("Tgetdate fits in 16 bits", (unsigned long)date >> 16, 0);
  check_true("year from 2024 on", (date >> 9) >= 2024 - 1980);
  long month = (date >> 5) & 15, day = date & 31;
  check_true("month 1 to 12", month >= 1 && month <= 12);
  check_true("day 1 to 31", day >= 1 && day <= 31);
  check("Tgettime fits in 16 bits", (unsigned long)time >> 16, 0);
  check_true("hour 0 to 23", (time >> 11) <= 23);
  check_true("minute 0 to 59", ((time >> 5) & 63) <= 59);
  check_true("seconds/2 0 to 29", (time & 31) <= 29);
  /* A second reading is not earlier, unless midnight passed in between. */
  long later = Tgettime();
  check_true("time does not run backwards", later >= time || later < 0x0100);
  return check_failures();
}
