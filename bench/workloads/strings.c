/* String formatting and parsing: numbers written in decimal, hexadecimal
   and with a sign into a line of text, the line split into fields again,
   each field parsed back and compared with what was written. */
#include "workload.h"

static char* put_udec(char* out, u32 v) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = (char)('0' + v % 10);
    v /= 10;
  } while (v);
  while (n) *out++ = digits[--n];
  return out;
}

static char* put_dec(char* out, s32 v) {
  if (v < 0) {
    *out++ = '-';
    return put_udec(out, 0u - (u32)v);
  }
  return put_udec(out, (u32)v);
}

static char* put_hex(char* out, u32 v) {
  *out++ = '0';
  *out++ = 'x';
  int shift = 28;
  while (shift > 0 && (v >> shift) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) *out++ = "0123456789ABCDEF"[(v >> shift) & 15];
  return out;
}

static char* put_text(char* out, const char* s) {
  while (*s) *out++ = *s++;
  return out;
}

static int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

/* Parses a decimal (optionally signed) or 0x-prefixed number. */
static const char* parse_number(const char* p, u32* value) {
  int negative = 0;
  u32 base = 10, v = 0;
  if (*p == '-') negative = 1, ++p;
  if (p[0] == '0' && p[1] == 'x') base = 16, p += 2;
  for (int d; (d = digit_value(*p)) >= 0 && (u32)d < base; ++p)
    v = base == 16 ? v << 4 | (u32)d : v * 10 + (u32)d;
  *value = negative ? 0u - v : v;
  return p;
}

static const char* const names[] = {"alpha", "beta", "gamma", "delta"};

int main(int argc, char** argv) {
  u32 rounds = workload_scale(argc, argv, 200);
  u32 seed = 0x5EED, checksum = 0, faults = 0, length_total = 0;
  char line[160];
  for (u32 r = 0; r < rounds; ++r) {
    u32 values[6];
    char* p = line;
    for (int i = 0; i < 6; ++i) {
      u32 v = next_random(&seed) >> (r % 29);
      values[i] = v;
      p = put_text(p, names[(r + (u32)i) & 3]);
      *p++ = '=';
      if (i % 3 == 0)
        p = put_udec(p, v);
      else if (i % 3 == 1)
        p = put_hex(p, v);
      else
        p = put_dec(p, (s32)v - 40000);
      *p++ = i < 5 ? ';' : '\0';
    }
    length_total += (u32)(p - line);
    /* Split at ';' and '=', parse every value back. */
    const char* q = line;
    for (int i = 0; i < 6; ++i) {
      const char* name = q;
      while (*q != '=') ++q;
      u32 name_length = (u32)(q - name);
      if (name_length != strlen(names[(r + (u32)i) & 3])) ++faults;
      u32 v;
      q = parse_number(q + 1, &v);
      u32 want = i % 3 == 2 ? values[i] - 40000 : values[i];
      if (v != want) ++faults;
      if (*q == ';') ++q;
      checksum = mix(checksum, v);
    }
    for (const char* c = line; *c; ++c) checksum = mix(checksum, (u8)*c);
  }
  report_dec("parse faults", (s32)faults);
  report_dec("characters written", (s32)length_total);
  report("checksum", checksum);
  print("last line: ");
  print(line);
  newline();
  return 0;
}
