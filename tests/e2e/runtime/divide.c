/* 32-bit division for the compiler, which on the 68000 has only 32/16
   divides and calls these for everything wider. Shift and subtract: no
   multiply, no division, so nothing here calls back into itself. */

static unsigned long divide(unsigned long n, unsigned long d, unsigned long* remainder) {
  unsigned long q = 0, r = 0;
  if (d == 0) {
    /* Raise the CPU's own divide-by-zero, as a DIVU would. */
    __asm__ volatile("divu.w #0,%%d0" ::: "d0", "cc");
    *remainder = n;
    return 0xFFFFFFFFUL;
  }
  for (int bit = 31; bit >= 0; --bit) {
    r = (r << 1) | ((n >> bit) & 1);
    if (r >= d) {
      r -= d;
      q |= 1UL << bit;
    }
  }
  *remainder = r;
  return q;
}

unsigned long __udivsi3(unsigned long n, unsigned long d) {
  unsigned long r;
  return divide(n, d, &r);
}

unsigned long __umodsi3(unsigned long n, unsigned long d) {
  unsigned long r;
  divide(n, d, &r);
  return r;
}

long __divsi3(long n, long d) {
  unsigned long r;
  unsigned long q = divide(n < 0 ? 0UL - (unsigned long)n : (unsigned long)n,
                           d < 0 ? 0UL - (unsigned long)d : (unsigned long)d, &r);
  return (n < 0) != (d < 0) ? (long)(0UL - q) : (long)q;
}

long __modsi3(long n, long d) {
  unsigned long r;
  divide(n < 0 ? 0UL - (unsigned long)n : (unsigned long)n,
         d < 0 ? 0UL - (unsigned long)d : (unsigned long)d, &r);
  return n < 0 ? (long)(0UL - r) : (long)r;
}
