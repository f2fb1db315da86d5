/* Pexec for the Pexec guests, kept out of the shared runtime so that the
   other guests (and the shipped example) stay byte for byte the same. */
#include "pexec_call.h"
#include "tos_block.h"

long Pexec(unsigned short mode, const char* name, const void* tail, const void* env) {
  const unsigned short block[] = {0x4B,     mode,     HI(name), LO(name),
                                  HI(tail), LO(tail), HI(env),  LO(env)};
  return __trap1(block, sizeof block);
}

/* A command line for Pexec: the length byte, the text, a NUL. */
const char* make_tail(char* buffer, const char* text) {
  unsigned n = 0;
  while (text[n] && n < 125) {
    buffer[1 + n] = text[n];
    ++n;
  }
  buffer[0] = (char)n;
  buffer[1 + n] = 0;
  return buffer;
}

unsigned long parse_hex(const char* s) {
  unsigned long v = 0;
  for (;; ++s) {
    if (*s >= '0' && *s <= '9')
      v = v * 16 + (unsigned long)(*s - '0');
    else if (*s >= 'a' && *s <= 'f')
      v = v * 16 + (unsigned long)(*s - 'a' + 10);
    else
      return v;
  }
}

long parse_dec(const char* s) {
  int negative = *s == '-';
  if (negative) ++s;
  long v = 0;
  while (*s >= '0' && *s <= '9') v = v * 10 + (*s++ - '0');
  return negative ? -v : v;
}
