/* Fixed-point arithmetic in 16 bits: every product is a 16 x 16 -> 32
   multiply and every quotient a 16-bit divide. A rotation by a small angle,
   Newton square roots, reciprocal and mean computations. */
#include "workload.h"

#define FRACTION 12
#define ONE (1 << FRACTION)

static s32 mul(s16 a, s16 b) {
  return (s32)a * b;
}

/* Square root of a Q12 value by Newton steps, each a 16-bit division. */
static s16 fixed_sqrt(s16 v) {
  if (v <= 0) return 0;
  s16 x = v > ONE ? v : ONE;
  for (int i = 0; i < 12; ++i) {
    s16 q = (s16)(mul(v, 64) / (s16)(x >> 6 | 1) >> 0);
    s16 next = (s16)((x + q) >> 1);
    if (next == x) break;
    x = next;
  }
  return x;
}

int main(int argc, char** argv) {
  u32 rounds = workload_scale(argc, argv, 40);
  u32 checksum = 0;
  s16 x = ONE, y = 0;
  /* cos and sin of about 0.05 radians in Q12. */
  const s16 c = 4091, s = 205;
  for (u32 r = 0; r < rounds; ++r) {
    for (int step = 0; step < 256; ++step) {
      s16 nx = (s16)((mul(x, c) - mul(y, s)) >> FRACTION);
      s16 ny = (s16)((mul(x, s) + mul(y, c)) >> FRACTION);
      x = nx;
      y = ny;
      /* Keep the radius at one: renormalise by a division. */
      s16 radius = fixed_sqrt((s16)((mul(x, x) + mul(y, y)) >> FRACTION));
      if (radius > 0) {
        x = (s16)(mul(x, ONE / 2) / radius * 2);
        y = (s16)(mul(y, ONE / 2) / radius * 2);
      }
      checksum = mix(checksum, (u32)(u16)x << 16 | (u16)y);
    }
    /* Unsigned 16-bit quotients and remainders. */
    u16 a = (u16)(r * 2654435761u >> 16), b = (u16)((r & 255) + 3);
    for (int k = 0; k < 64; ++k) {
      u16 q = (u16)(a / b), m = (u16)(a % b);
      checksum = mix(checksum, (u32)q << 16 | m);
      a = (u16)(a * 5 + 17);
      b = (u16)(b + (q & 7) + 1);
    }
    /* Signed quotients of both signs. */
    for (s16 n = -900; n < 900; n += 97) {
      s16 d = (s16)((s16)(r & 31) - 15);
      if (d == 0) d = 7;
      s16 q = (s16)(n / d), m = (s16)(n % d);
      checksum = mix(checksum, (u32)(u16)q << 16 | (u16)m);
    }
  }
  report_dec("x", x);
  report_dec("y", y);
  report_dec("square root of 2", fixed_sqrt(2 * ONE));
  report("checksum", checksum);
  return 0;
}
