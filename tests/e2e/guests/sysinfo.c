/* What a system-information tool or a make asks the OS: the XBIOS clock,
   the keyboard's modifier state, the drive map, the free space of a drive,
   and the calls of later OS versions that today's C libraries try first.
   The later calls must answer -32 without a word on the console, the
   classic calls as the program's own OS would. */
#include "rt.h"

static long bios2(unsigned short function, unsigned short word) {
  const unsigned short block[] = {function, word};
  return __trap13(block, sizeof block);
}

static long gemdos_words(unsigned short function, unsigned short a, unsigned short b,
                         unsigned short c) {
  const unsigned short block[] = {function, a, b, c};
  return __trap1(block, sizeof block);
}

/* Settime(value) with a known D0 before the TRAP, and D0 after it. */
static long settime_d0(unsigned long value) {
  register long d0 __asm__("d0") = 0x5A5A5A5A;
  __asm__ volatile(
      "move.l %1,-(%%sp)\n\t"
      "move.w #0x16,-(%%sp)\n\t"
      "trap #14\n\t"
      "addq.l #6,%%sp"
      : "+d"(d0)
      : "d"(value)
      : "d1", "d2", "a0", "a1", "a2", "memory", "cc");
  return d0;
}

static void clock(void) {
  long date_before = Tgetdate(), time_before = Tgettime();
  unsigned long both = (unsigned long)xbios_call(0x17); /* Gettime */
  long date_after = Tgetdate(), time_after = Tgettime();
  long date = (long)(both >> 16), time = (long)(both & 0xFFFF);
  check_true("Gettime's high word is Tgetdate's date", date == date_before || date == date_after);
  check_true("Gettime's low word is Tgettime's time",
             (time >= time_before && time <= time_after) || time_after < time_before);
  check_true("Gettime's year from 2024 on", (date >> 9) >= 2024 - 1980);
  /* Settime has no answer: D0 comes back as the program left it. */
  check("Settime leaves D0", settime_d0(0x12345678), 0x5A5A5A5A);
}

static void keyboard_and_drives(void) {
  check("Kbshift(-1): no modifier held", bios2(0x0B, 0xFFFF), 0);
  check("Kbshift(mode) answers the same", bios2(0x0B, 0x10), 0);
  long map = bios_call(0x0A); /* Drvmap */
  check("Drvmap: drive C only", map, 4);
  check("Drvmap is Dsetdrv's map", map, Dsetdrv(2));
  long info[4];
  check("Dfree of drive C", Dfree(info, 3), 0);
  check_true("free clusters fit a signed word", info[0] >= 0 && info[0] <= 32767);
  check_true("total clusters fit a signed word", info[1] > 0 && info[1] <= 32767);
  check_true("no more free than total", info[0] <= info[1]);
  check("bytes per sector", info[2], 512);
  check("sectors per cluster", info[3], 2);
}

static void later_os_calls(void) {
  static const unsigned short numbers[] = {0x100, 0x104, 0x10B, 0x10F, 0x114, 0x119, 0x124,
                                           0x12C, 0x12F, 0x133, 0x138, 0x139, 0x13B, 0x14B,
                                           0x154, 0x155, 0x15D, 0x15E, 0x184, 0xFFFF};
  int wrong = 0;
  for (unsigned i = 0; i < sizeof numbers / sizeof numbers[0]; ++i)
    wrong += gemdos_words(numbers[i], 0, 0, 0) != -32;
  check("later-OS calls answer -32 without a line", wrong, 0);
  print("the classic OS's calls it lacks stay named:\n");
  check("Srealloc", gemdos_words(0x15, 0, 0, 0), -32);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  clock();
  keyboard_and_drives();
  later_os_calls();
  return check_failures();
}
