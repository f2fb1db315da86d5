/* Malloc, Mfree and Mshrink. The start-up code has shrunk the program to
   basepage + text + data + BSS, so the first block comes right behind the
   BSS and blocks follow each other without headers. */
#include "rt.h"

static unsigned long peek32(unsigned long address) {
  return *(unsigned long*)address;
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  const unsigned long top = peek32(0x436);
  check("memory top (0x436)", (long)top, 0xFE0000);
  const unsigned long program_end =
      peek32((unsigned long)_base + 0x18) + peek32((unsigned long)_base + 0x1C);

  check("Malloc(-1) is the free size", Malloc(-1), (long)(top - program_end));
  long a = Malloc(100);
  check("first block follows the program", a, (long)program_end);
  long b = Malloc(100);
  check("second block follows the first", b, a + 100);
  long c = Malloc(3);
  check("third block", c, b + 100);
  long d = Malloc(2);
  check("an odd size is not rounded up", d, c + 3);

  unsigned char* block = (unsigned char*)a;
  for (int i = 0; i < 100; ++i) block[i] = (unsigned char)(i * 5 + 1);
  int intact = 1;
  for (int i = 0; i < 100; ++i) intact &= block[i] == (unsigned char)(i * 5 + 1);
  check_true("a block holds what was written", intact);

  check("Mfree answers 0", Mfree((void*)a), 0);
  check("Mfree releases nothing", Malloc(4), d + 2);

  check("Mshrink answers 0", Mshrink((void*)b, 10), 0);
  check("Mshrink moves the next block", Malloc(4), b + 10);

  long free_size = Malloc(-1);
  check("Malloc(-1) after the blocks", free_size, (long)(top - (unsigned long)(b + 14)));
  check("a byte more than the free size is refused", Malloc(free_size + 1), 0);
  check("nothing moved after a refusal", Malloc(-1), free_size);
  check("a huge size is refused, not wrapped", Malloc(0x7FFFFFFF), 0);
  long last = Malloc(free_size - 2);
  check("a block two bytes short of the top", last, b + 14);
  check("two bytes are left", Malloc(-1), 2);
  check("the free size is granted whole, up to the top", Malloc(2), (long)(top - 2));
  check("nothing is left", Malloc(-1), 0);
  check("nothing fits now", Malloc(1), 0);
  return check_failures();
}
