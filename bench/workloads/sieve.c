/* Sieve of Eratosthenes over a limit that changes each round; the count and
   a checksum of every prime found feed the result. */
#include "workload.h"

#define MAX_LIMIT 60000

static u8 composite[MAX_LIMIT];

static u32 sieve(u32 limit, u32* checksum) {
  memset(composite, 0, limit);
  u32 count = 0;
  for (u32 i = 2; i < limit; ++i) {
    if (composite[i]) continue;
    ++count;
    *checksum = mix(*checksum, i);
    for (u32 j = i + i; j < limit; j += i) composite[j] = 1;
  }
  return count;
}

int main(int argc, char** argv) {
  u32 rounds = workload_scale(argc, argv, 20);
  u32 checksum = 0, total = 0, last = 0;
  for (u32 r = 0; r < rounds; ++r) {
    u32 limit = MAX_LIMIT - (r % 64) * 613;
    last = sieve(limit, &checksum);
    total += last;
  }
  report_dec("primes below the last limit", (s32)last);
  report_dec("primes in all rounds", (s32)total);
  report("checksum", checksum);
  return 0;
}
