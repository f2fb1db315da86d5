/* CRC-32 (the reflected 0xEDB88320 polynomial) of generated data, by table
   and bit by bit, and an Adler-32 beside it. */
#include "workload.h"

#define BLOCK 8192

static u32 table[256];
static u8 data[BLOCK];

static void make_table(void) {
  for (u32 n = 0; n < 256; ++n) {
    u32 c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
}

static u32 crc_table(const u8* p, u32 n, u32 crc) {
  crc = ~crc;
  while (n--) crc = table[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

static u32 crc_bitwise(const u8* p, u32 n, u32 crc) {
  crc = ~crc;
  while (n--) {
    crc ^= *p++;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

static u32 adler32(const u8* p, u32 n) {
  u32 a = 1, b = 0;
  while (n--) {
    a += *p++;
    if (a >= 65521) a -= 65521;
    b += a;
    if (b >= 65521) b -= 65521;
  }
  return b << 16 | a;
}

int main(int argc, char** argv) {
  u32 rounds = workload_scale(argc, argv, 8);
  make_table();
  report("crc of \"123456789\"", crc_table((const u8*)"123456789", 9, 0));
  u32 seed = 0x12345678, crc = 0, check = 0, adler = 0;
  for (u32 r = 0; r < rounds; ++r) {
    for (u32 i = 0; i < BLOCK; ++i) data[i] = (u8)(next_random(&seed) >> 24);
    crc = crc_table(data, BLOCK, crc);
    /* The bitwise form on a slice, which must agree with the table. */
    u32 slice = 256 + (r & 255);
    if (crc_bitwise(data, slice, r) != crc_table(data, slice, r)) report("mismatch in round", r);
    check = mix(check, crc_bitwise(data + slice, 64, check));
    adler = mix(adler, adler32(data, BLOCK));
  }
  report("running crc", crc);
  report("slice checksum", check);
  report("adler checksum", adler);
  return 0;
}
