/* Leaves two files open with data still in the host's buffers, then ends in
   the way the first parameter's letter picks:

     p Pterm(7)        0 Pterm0            f illegal instruction
     r I/O read        s STOP in supervisor mode
     l prints numbered lines for ever (for a closed pipe or a signal)
     t loops for ever without a call (for a signal)
     o console output of every kind, then an I/O read (output order)
     d writes to \dev\full and reports what Fwrite and Fclose answer

   big.dat gets 100,003 bytes (one Fwrite), small.txt three short writes:
   neither is closed, so only the host's end of the run can complete them. */
#include "rt.h"

#define BIG_SIZE 100003L

static unsigned char big[BIG_SIZE];

static void write_files(void) {
  for (long i = 0; i < BIG_SIZE; ++i) big[i] = (unsigned char)(i * 13 + 5);
  long h = Fcreate("big.dat", 0);
  check("Fwrite of 100003 bytes", Fwrite((unsigned short)h, BIG_SIZE, big), BIG_SIZE);
  long s = Fcreate("small.txt", 0);
  Fwrite((unsigned short)s, 4, "one ");
  Fwrite((unsigned short)s, 4, "two ");
  Fwrite((unsigned short)s, 6, "three\n");
  print("files written\n");
}

static void print_lines(void) {
  char line[24];
  for (unsigned long n = 0;; ++n) {
    char* end = format_udec(line, n);
    end[0] = '\n';
    end[1] = 0;
    print(line);
  }
}

static void output_order(void) {
  print("1 Cconws\n");
  Fwrite(1, 11, "2 Fwrite 1\n");
  Fwrite(2, 11, "3 Fwrite 2\n");
  gemdos_call(0x50); /* no such function: vellum's own line */
  print("4 Cconws\n");
  (void)*(volatile unsigned char*)0xFF8000;
}

static void device_full(void) {
  long h = Fopen("\\dev\\full", 1);
  check_true("Fopen of the full device", h >= 16);
  long n = Fwrite((unsigned short)h, BIG_SIZE, big);
  check_true("Fwrite answers fewer bytes than asked", n >= 0 && n < BIG_SIZE);
  check("Fclose reports the lost data", Fclose((unsigned short)h), -10);
  h = Fopen("\\dev\\full", 1);
  check("a short Fwrite is only buffered", Fwrite((unsigned short)h, 10, big), 10);
  check("Fclose reports its flush failing", Fclose((unsigned short)h), -10);
  /* Mode 0 writes where the user may write the file; a read-only file's
     handle refuses them, and that refusal loses nothing. */
  Fclose((unsigned short)Fcreate("ro.dat", 1));
  h = Fopen("ro.dat", 0);
  check("writing a read-only file's handle answers -36", Fwrite((unsigned short)h, 4, big), -36);
  check("and loses nothing, so Fclose answers 0", Fclose((unsigned short)h), 0);
  Pterm0();
}

int main(int argc, char** argv) {
  const char how = argc > 1 ? argv[1][0] : 'p';
  if (how == 'o') output_order();
  write_files();
  switch (how) {
    case 'p':
      Pterm(7);
    case '0':
      Pterm0();
    case 'f':
      __asm__ volatile("illegal");
      break;
    case 'r':
      (void)*(volatile unsigned char*)0xFF8000;
      break;
    case 's':
      Super(0);
      __asm__ volatile("stop #0x2700");
      break;
    case 'l':
      print_lines();
    case 't':
      for (;;) {
      }
    case 'd':
      device_full();
  }
  return 1;
}
