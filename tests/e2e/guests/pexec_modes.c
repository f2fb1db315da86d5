/* Pexec modes 3 to 6: loading without starting, running what was loaded,
   a basepage made empty and filled by the parent, and the memory each takes
   and gives back. */
#include "pexec_call.h"

#define PEEK16(a) (*(volatile unsigned short*)(a))
#define POKE32(a, v) (*(volatile unsigned long*)(a) = (v))

/* A child for mode 5, copied into the basepage's text: ends with 42 when
   4(sp) holds its basepage, as A1 does, and with 1 otherwise. */
__asm__(
    "	.text\n"
    "	.globl	tiny_child\n"
    "tiny_child:\n"
    "	move.l	4(%sp),%d0\n"
    "	cmp.l	%a1,%d0\n"
    "	bne.s	1f\n"
    "	move.w	#42,-(%sp)\n"
    "	bra.s	2f\n"
    "1:	move.w	#1,-(%sp)\n"
    "2:	move.w	#0x4C,-(%sp)\n"
    "	trap	#1\n"
    "	.globl	tiny_child_end\n"
    "tiny_child_end:\n");
extern const unsigned char tiny_child[], tiny_child_end[];

static void load_then_go(void) {
  char tail[128];
  make_tail(tail, "code 9");
  const long bp = Pexec(3, "pexec_child.tos", tail, 0);
  check_true("mode 3 answers a basepage above the parent", bp > (long)_base);
  check("its lowest address", (long)PEEK32(bp), bp);
  check("its memory end is the top", (long)PEEK32(bp + 0x04), 0xFE0000);
  check("its text follows it", (long)PEEK32(bp + 0x08), bp + 0x100);
  check("the text is the program's (its first word)", PEEK16(bp + 0x100), 0x206F);
  check("its parent", (long)PEEK32(bp + 0x24), (long)_base);
  check("its command line", memcmp((const void*)(bp + 0x80), tail, 8), 0);
  const unsigned long env = PEEK32(bp + 0x2C);
  check_true("its environment lies below it", env < (unsigned long)bp);
  check("its environment is the parent's, empty", *(const char*)env, 0);
  check("all memory went to the loaded program", Malloc(-1), 0);

  const long size = 0x100 + (long)(PEEK32(bp + 0x0C) + PEEK32(bp + 0x14) + PEEK32(bp + 0x1C));
  check("Mshrink of the loaded program", Mshrink((void*)bp, size), 0);
  unsigned char* mine = (unsigned char*)Malloc(1000);
  check("the parent's block follows the shrunk program", (long)mine, bp + size);
  for (int i = 0; i < 1000; ++i) mine[i] = (unsigned char)(i * 7 + 3);
  const long free_before = Malloc(-1);
  check("mode 4 runs it", Pexec(4, 0, (const void*)bp, 0), 9);
  int intact = 1;
  for (int i = 0; i < 1000; ++i) intact &= mine[i] == (unsigned char)(i * 7 + 3);
  check_true("the parent's block is intact", intact);
  check("Malloc(-1) as before mode 4", Malloc(-1), free_before);

  check("mode 4 with an odd basepage", Pexec(4, 0, (const void*)(bp + 1), 0), -40);
  check("mode 4 without a basepage", Pexec(4, 0, 0, 0), -40);
}

static void create_then_go(void) {
  char tail[128];
  const long free_before = Malloc(-1);
  const long bp = Pexec(5, 0, make_tail(tail, "x"), "X=1\0");
  check_true("mode 5 answers a basepage above the parent", bp > (long)_base);
  check("its text start", (long)PEEK32(bp + 0x08), bp + 0x100);
  check("its text is empty", (long)PEEK32(bp + 0x0C), 0);
  check("its memory end is the top", (long)PEEK32(bp + 0x04), 0xFE0000);
  check("its command line", memcmp((const void*)(bp + 0x80), "\1x", 3), 0);
  check("its environment", strcmp((const char*)PEEK32(bp + 0x2C), "X=1"), 0);
  check("all memory went to the new basepage", Malloc(-1), 0);

  const unsigned long n = (unsigned long)(tiny_child_end - tiny_child);
  memcpy((void*)(bp + 0x100), tiny_child, n);
  POKE32(bp + 0x0C, n);
  check("mode 6 runs it", Pexec(6, 0, (const void*)bp, 0), 42);
  check("mode 6 gave all its memory back", Malloc(-1), free_before);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  load_then_go();
  create_then_go();
  char tail[128];
  check("mode 3 of a missing file", Pexec(3, "missing.tos", make_tail(tail, ""), 0), -33);
  return check_failures();
}
