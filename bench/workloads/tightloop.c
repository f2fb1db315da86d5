/* Ten ordinary register instructions in a loop, as tight as compiled code
   never is: the interpreter's dispatch rate on its cheapest handlers. The
   host build computes the same registers in C. */
#include "workload.h"

struct registers {
  u32 d0, d1, d2, d3, d4, d5;
};

static void spin(struct registers* r, u32 iterations) {
#ifdef __m68k__
  u32 d0 = r->d0, d1 = r->d1, d2 = r->d2, d3 = r->d3, d4 = r->d4, d5 = r->d5;
  __asm__ volatile(
      "1:\n\t"
      "add.l %1,%0\n\t"
      "eor.l %0,%2\n\t"
      "addq.l #1,%1\n\t"
      "move.l %2,%3\n\t"
      "lsl.l #3,%3\n\t"
      "sub.l %3,%4\n\t"
      "add.l %4,%5\n\t"
      "swap %5\n\t"
      "subq.l #1,%6\n\t"
      "bne.s 1b"
      : "+d"(d0), "+d"(d1), "+d"(d2), "+d"(d3), "+d"(d4), "+d"(d5), "+d"(iterations)
      :
      : "cc");
  *r = (struct registers){d0, d1, d2, d3, d4, d5};
#else
  do {
    r->d0 += r->d1;
    r->d2 ^= r->d0;
    r->d1 += 1;
    r->d3 = r->d2 << 3;
    r->d4 -= r->d3;
    r->d5 += r->d4;
    r->d5 = r->d5 << 16 | r->d5 >> 16;
  } while (--iterations);
#endif
}

/* Eight NOPs and the loop's own three instructions: what the interpreter's
   per-instruction path costs when the handlers do nothing. Only the pass
   count is left to compare with the host build. */
static u32 spin_nops(u32 iterations) {
  u32 passes = 0;
#ifdef __m68k__
  __asm__ volatile(
      "1:\n\t"
      "nop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\t"
      "addq.l #1,%0\n\t"
      "subq.l #1,%1\n\t"
      "bne.s 1b"
      : "+d"(passes), "+d"(iterations)
      :
      : "cc");
#else
  passes = iterations;
#endif
  return passes;
}

int main(int argc, char** argv) {
  /* A million passes (ten million instructions, eleven million with the
     second parameter "nop") per unit of scale. */
  u32 scale = workload_scale(argc, argv, 1);
  if (argc > 2 && strcmp(argv[2], "nop") == 0) {
    u32 passes = 0;
    for (u32 i = 0; i < scale; ++i) passes += spin_nops(1000000);
    report("passes", passes);
    return 0;
  }
  struct registers r = {1, 2, 3, 4, 5, 6};
  for (u32 i = 0; i < scale; ++i) spin(&r, 1000000);
  report("d0", r.d0);
  report("d2", r.d2);
  report("d4", r.d4);
  report("d5", r.d5);
  return 0;
}
