/* LZ77-style compression with a hash of three-byte prefixes, and the
   decompression that must give the input back. The input is generated text:
   words from a small vocabulary, so matches are frequent and of every
   length.

   Format: a flag byte for each group of eight items, least significant bit
   first; a 0 flag is one literal byte, a 1 flag a match of two bytes,
   offset-1 in the high 12 bits and length-3 in the low 4. */
#include "workload.h"

#define INPUT 12288
#define WINDOW 4096
#define MIN_MATCH 3
#define MAX_MATCH 18
#define HASH_BITS 12

static u8 input[INPUT], packed[INPUT + INPUT / 8 + 16], output[INPUT];
static u16 head[1 << HASH_BITS];
static u16 prev[INPUT];

static const char* const vocabulary[] = {
    "the ",     "quick ", "brown ", "fox ",  "jumps ", "over ", "lazy ",  "dog ",
    "and ",     "runs ",  "far ",   "away ", "from ",  "a ",    "red ",   "barn ",
    "while ",   "the ",   "cat ",   "sits ", "on ",    "mat, ", "then ",  "sleeps.\n",
    "quietly ", "under ", "old ",   "oak ",  "trees ", "by ",   "river ", "banks ",
};

static u32 make_input(u32* seed) {
  u32 n = 0;
  while (n < INPUT) {
    const char* w = vocabulary[next_random(seed) & 31];
    while (*w && n < INPUT) input[n++] = (u8)*w++;
  }
  /* Some noise, so that not everything matches. */
  for (u32 i = 0; i < INPUT / 64; ++i) input[next_random(seed) % INPUT] = (u8)next_random(seed);
  return n;
}

static u32 hash3(const u8* p) {
  return ((u32)p[0] << 8 ^ (u32)p[1] << 4 ^ p[2]) & ((1 << HASH_BITS) - 1);
}

static u32 compress(const u8* in, u32 n, u8* out) {
  for (u32 i = 0; i < (1 << HASH_BITS); ++i) head[i] = 0xFFFF;
  u32 o = 0, i = 0;
  while (i < n) {
    u32 flag_at = o++;
    u8 flags = 0;
    for (int item = 0; item < 8 && i < n; ++item) {
      u32 best_len = 0, best_off = 0;
      if (i + MIN_MATCH <= n) {
        u32 h = hash3(in + i);
        u32 candidate = head[h];
        for (int tries = 0; tries < 16 && candidate != 0xFFFF && i - candidate <= WINDOW; ++tries) {
          u32 len = 0;
          while (len < MAX_MATCH && i + len < n && in[candidate + len] == in[i + len]) ++len;
          if (len > best_len) {
            best_len = len;
            best_off = i - candidate;
          }
          candidate = prev[candidate];
        }
      }
      u32 step = best_len >= MIN_MATCH ? best_len : 1;
      if (best_len >= MIN_MATCH) {
        flags |= (u8)(1 << item);
        u32 code = (best_off - 1) << 4 | (best_len - MIN_MATCH);
        out[o++] = (u8)(code >> 8);
        out[o++] = (u8)code;
      } else {
        out[o++] = in[i];
      }
      for (u32 k = 0; k < step; ++k, ++i) {
        if (i + MIN_MATCH <= n) {
          u32 h = hash3(in + i);
          prev[i] = head[h];
          head[h] = (u16)i;
        }
      }
    }
    out[flag_at] = flags;
  }
  return o;
}

static u32 decompress(const u8* in, u32 n, u8* out) {
  u32 i = 0, o = 0;
  while (i < n) {
    u8 flags = in[i++];
    for (int item = 0; item < 8 && i < n; ++item) {
      if (flags & (1 << item)) {
        u32 code = (u32)in[i] << 8 | in[i + 1];
        i += 2;
        u32 from = o - ((code >> 4) + 1), len = (code & 15) + MIN_MATCH;
        while (len--) out[o++] = out[from++];
      } else {
        out[o++] = in[i++];
      }
    }
  }
  return o;
}

int main(int argc, char** argv) {
  u32 rounds = workload_scale(argc, argv, 2);
  u32 seed = 0xC0FFEE, checksum = 0, packed_total = 0, faults = 0;
  for (u32 r = 0; r < rounds; ++r) {
    u32 n = make_input(&seed);
    u32 size = compress(input, n, packed);
    u32 back = decompress(packed, size, output);
    if (back != n || memcmp(input, output, n) != 0) ++faults;
    packed_total += size;
    for (u32 i = 0; i < size; i += 7) checksum = mix(checksum, packed[i]);
  }
  report_dec("round trips that failed", (s32)faults);
  report_dec("compressed bytes", (s32)packed_total);
  report("checksum", checksum);
  return 0;
}
