/* The Mandelbrot set in text, computed in 16-bit fixed point so that every
   product is a single 68000 MULS instruction.

   Build (see README.md, "Building guest programs"): compile with
   m68k-linux-gnu-gcc -m68000 -O2 -ffreestanding -nostdlib, link with the
   guest runtime in tests/e2e/runtime, convert with elf2gemdos. */
#include "rt.h"

#define WIDTH 72
#define HEIGHT 28
#define MAX_ITERATIONS 96
#define FRACTION_BITS 12
#define ONE (1L << FRACTION_BITS)

/* Product of two fixed-point numbers, 32 bits wide and still scaled by
   ONE * ONE: a 16 x 16 -> 32 multiply. */
static long mul(short a, short b) {
  return (long)a * b;
}

/* Number of steps before z leaves the circle of radius 2, or
   MAX_ITERATIONS when it stays inside. */
static int escape_time(short cr, short ci) {
  short zr = 0, zi = 0;
  for (int i = 0; i < MAX_ITERATIONS; ++i) {
    long zr2 = mul(zr, zr), zi2 = mul(zi, zi);
    if (zr2 + zi2 > 4 * ONE * ONE) return i;
    zi = (short)((mul(zr, zi) >> (FRACTION_BITS - 1)) + ci);
    zr = (short)(((zr2 - zi2) >> FRACTION_BITS) + cr);
  }
  return MAX_ITERATIONS;
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  /* Outside the set, the shade tells how many steps a point took to escape:
     one character per step at first, then coarser. */
  static const char shades[] = " .,-~:;=!*#$";
  const int levels = sizeof shades - 1;
  /* The view: real part -2.2 to 0.8, imaginary part -1.2 to 1.2. */
  const short left = (short)(-22 * ONE / 10), top = (short)(12 * ONE / 10);
  const short step_x = (short)(30 * ONE / 10 / WIDTH), step_y = (short)(24 * ONE / 10 / HEIGHT);
  char line[WIDTH + 2];
  long inside = 0;
  for (int row = 0; row < HEIGHT; ++row) {
    short ci = (short)(top - row * step_y);
    for (int col = 0; col < WIDTH; ++col) {
      int n = escape_time((short)(left + col * step_x), ci);
      if (n == MAX_ITERATIONS) {
        line[col] = '@';
        ++inside;
      } else {
        int shade = n < 6 ? n : 6 + (n - 6) / 4;
        line[col] = shades[shade < levels ? shade : levels - 1];
      }
    }
    line[WIDTH] = '\n';
    line[WIDTH + 1] = 0;
    print(line);
  }
  print("points inside the set: ");
  print_dec(inside);
  print(" of ");
  print_dec((long)WIDTH * HEIGHT);
  newline();
  return 0;
}
