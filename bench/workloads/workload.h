/* Common ground of the CPU workloads. Each workload is built from the same
   source as a guest program on the runtime in tests/e2e/runtime, natively
   for the host with native_rt.c, and, for the benchmark beside a user-mode
   translator, as a static m68k Linux program on bench/m68k_linux (which
   defines WORKLOAD_M68K_LINUX). Every build must print the same bytes, so
   the workloads use the fixed-width types below (int is 32 bits on all of
   them, long is not) and never look at the bytes of a wider value. */
#ifndef WORKLOAD_H
#define WORKLOAD_H

#if defined(WORKLOAD_M68K_LINUX)
#include "linux_rt.h"
#elif defined(__m68k__)
#include "rt.h"
#else
#include <string.h>
void print(const char* text);
void print_dec(long value);
void print_udec(unsigned long value);
void print_hex(unsigned long value, int digits);
void newline(void);
#endif

typedef unsigned char u8;
typedef signed char s8;
typedef unsigned short u16;
typedef short s16;
typedef unsigned int u32;
typedef int s32;

/* The work size: the first parameter in decimal, or `fallback`. */
static inline u32 workload_scale(int argc, char** argv, u32 fallback) {
  if (argc < 2) return fallback;
  u32 n = 0;
  for (const char* p = argv[1]; *p >= '0' && *p <= '9'; ++p) n = n * 10 + (u32)(*p - '0');
  return n ? n : fallback;
}

/* One result line: "<name> <eight hex digits>". */
static inline void report(const char* name, u32 value) {
  print(name);
  print(" ");
  print_hex(value, 8);
  newline();
}

static inline void report_dec(const char* name, s32 value) {
  print(name);
  print(" ");
  print_dec(value);
  newline();
}

/* xorshift32: shifts and exclusive ors only, the same sequence everywhere. */
static inline u32 next_random(u32* state) {
  u32 x = *state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  *state = x;
  return x;
}

/* Order-dependent mix of a running checksum with one more value. */
static inline u32 mix(u32 h, u32 v) {
  h ^= v;
  return (h << 7 | h >> 25) + 0x9E3779B9u;
}

#endif
