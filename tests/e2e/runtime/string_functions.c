/* The C string and memory functions the compiler and the programs call, as
 * plain byte loops. Included by the guest runtime (rt.c) and by the m68k
 * Linux runtime of the benchmark (bench/m68k_linux), so that a workload runs
 * the same loops under vellum and under qemu-m68k. Expects <stddef.h>'s
 * size_t and the declarations of rt.h or linux_rt.h. */

size_t strlen(const char* s) {
  const char* p = s;
  while (*p) ++p;
  return (size_t)(p - s);
}

int strcmp(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return (unsigned char)*a - (unsigned char)*b;
}

void* memcpy(void* dst, const void* src, size_t n) {
  unsigned char* d = dst;
  const unsigned char* s = src;
  while (n--) *d++ = *s++;
  return dst;
}

void* memmove(void* dst, const void* src, size_t n) {
  unsigned char* d = dst;
  const unsigned char* s = src;
  if (d < s) return memcpy(dst, src, n);
  while (n--) d[n] = s[n];
  return dst;
}

void* memset(void* dst, int c, size_t n) {
  unsigned char* d = dst;
  while (n--) *d++ = (unsigned char)c;
  return dst;
}

int memcmp(const void* a, const void* b, size_t n) {
  const unsigned char* p = a;
  const unsigned char* q = b;
  for (; n; --n, ++p, ++q)
    if (*p != *q) return *p - *q;
  return 0;
}
