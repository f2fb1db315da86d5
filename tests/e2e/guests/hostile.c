/* Hostile requests a program can make; the first parameter's letter picks
   one. Each must end the run in its documented way, never the host.

     w Fread, Cconws and Fwrite on a buffer across the top of the address
       space (in.dat holds "WXYZ")
     a the OS-call parameter pointer in the last two bytes of the space
     n file names of 255 bytes and more, with a drive and 0x1A
     x Supexec of a routine in the I/O region at an odd address
     e Setexc: vector 4 into the I/O region, then an illegal instruction;
       the highest vector number first
     v the ROM overwritten with STOP words, then an OS call
     o execution at an odd address
     i a jump into the I/O region */
#include "rt.h"

#define TOP 0xFFFFFEUL

static void across_the_top(void) {
  long in = Fopen("in.dat", 0);
  check("Fread across the top", Fread((unsigned short)in, 4, (void*)TOP), 4);
  Fclose((unsigned short)in);
  print("Cconws across the top: [");
  Cconws((const char*)TOP);
  print("]\n");
  long out = Fcreate("wrap.dat", 0);
  check("Fwrite across the top", Fwrite((unsigned short)out, 4, (const void*)TOP), 4);
  check("Fclose", Fclose((unsigned short)out), 0);
}

/* The function number comes from 0xFFFFFE, the code from the ROM's first
   word at address 0: Pterm(0x602E), exit status 0x2E. */
static void parameters_at_the_top(void) {
  long in = Fopen("in.dat", 0);
  Fread((unsigned short)in, 2, (void*)TOP);
  Fclose((unsigned short)in);
  __asm__ volatile("move.l %0,%%sp\n\ttrap #1" : : "d"(TOP));
}

static void long_names(void) {
  static char name[400];
  name[0] = 'C';
  name[1] = ':';
  memset(name + 2, 'b', 300);
  long h = Fcreate(name, 0);
  check("Fcreate of a 302-byte name", h, 16);
  Fwrite((unsigned short)h, 5, "long\n");
  check("Fclose", Fclose((unsigned short)h), 0);
  memset(name, 0, sizeof name);
  memcpy(name, "Q:c", 3);
  memset(name + 3, 0x1A, 300);
  h = Fcreate(name, 0);
  check("Fcreate of a name of 0x1A bytes", h, 16);
  check("Fclose", Fclose((unsigned short)h), 0);
  check("Fopen of a name cut to nothing", Fopen("A:", 0), -33);
}

static long stop_here(void) {
  __asm__ volatile("stop #0x2700");
  return 0;
}

static void overwrite_rom(void) {
  Super(0);
  for (volatile unsigned short* p = (unsigned short*)0xFE0000; p < (unsigned short*)0xFE0400; ++p)
    *p = 0x4E72;
  Cconws("never printed\n");
  stop_here();
}

static const unsigned char odd_code[] __attribute__((aligned(2))) = {
    0x00,                   /* padding: the code starts at an odd address */
    0x3F, 0x3C, 0x00, 0x05, /* move.w #5,-(sp) */
    0x3F, 0x3C, 0x00, 0x4C, /* move.w #0x4C,-(sp) */
    0x4E, 0x41,             /* trap #1: Pterm(5) */
};

int main(int argc, char** argv) {
  const char what = argc > 1 ? argv[1][0] : 0;
  switch (what) {
    case 'w':
      across_the_top();
      break;
    case 'a':
      parameters_at_the_top();
      break;
    case 'n':
      long_names();
      break;
    case 'x':
      Supexec((long (*)(void))0xFFFFFF01UL);
      break;
    case 'e':
      print_hex((unsigned long)Setexc(0xFFFF, -1), 8);
      newline();
      Setexc(4, 0xFF8000L);
      __asm__ volatile("illegal");
      break;
    case 'v':
      overwrite_rom();
      break;
    case 'o':
      ((void (*)(void))(odd_code + 1))();
      break;
    case 'i':
      ((void (*)(void))0xFF8000UL)();
      break;
  }
  print("carried on\n");
  return check_failures();
}
