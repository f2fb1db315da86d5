#include "rt.h"

unsigned char* _base;

static unsigned long peek32(const unsigned char* p) {
  return ((unsigned long)p[0] << 24) | ((unsigned long)p[1] << 16) | ((unsigned long)p[2] << 8) |
         p[3];
}

/* The command line in the basepage: a length byte, the parameters separated
   by spaces (spaces inside a parameter arrive as 0x1A), a NUL. */
#define MAX_ARGS 32
static char command_line[128];
static char* arguments[MAX_ARGS + 1];

static int split_command_line(void) {
  unsigned length = _base[0x80];
  if (length > 126) length = 126;
  memcpy(command_line, _base + 0x81, length);
  command_line[length] = 0;
  int count = 0;
  arguments[count++] = "";
  char* p = command_line;
  while (*p && count < MAX_ARGS) {
    while (*p == ' ') *p++ = 0;
    if (!*p) break;
    arguments[count++] = p;
    while (*p && *p != ' ') ++p;
  }
  arguments[count] = 0;
  return count;
}

void __rt_start(unsigned char* basepage) __attribute__((noreturn));
void __rt_start(unsigned char* basepage) {
  _base = basepage;
  /* Keep basepage, text, data and BSS; give the rest back so that Malloc
     hands out the memory right behind the program. */
  unsigned long size =
      0x100 + peek32(basepage + 0x0C) + peek32(basepage + 0x14) + peek32(basepage + 0x1C);
  Mshrink(basepage, (long)size);
  int argc = split_command_line();
  Pterm((unsigned short)main(argc, arguments));
}

char* format_udec(char* out, unsigned long value) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = (char)('0' + value % 10);
    value /= 10;
  } while (value);
  while (n) *out++ = digits[--n];
  *out = 0;
  return out;
}

char* format_dec(char* out, long value) {
  if (value < 0) {
    *out++ = '-';
    return format_udec(out, 0UL - (unsigned long)value);
  }
  return format_udec(out, (unsigned long)value);
}

char* format_hex(char* out, unsigned long value, int digits) {
  for (int i = digits - 1; i >= 0; --i) *out++ = "0123456789abcdef"[(value >> (4 * i)) & 15];
  *out = 0;
  return out;
}

void print(const char* text) {
  Cconws(text);
}
void newline(void) {
  Cconws("\n");
}

void print_dec(long value) {
  char buf[16];
  format_dec(buf, value);
  print(buf);
}

void print_udec(unsigned long value) {
  char buf[16];
  format_udec(buf, value);
  print(buf);
}

void print_hex(unsigned long value, int digits) {
  char buf[12];
  format_hex(buf, value, digits);
  print(buf);
}

static int failures;

void check(const char* what, long got, long want) {
  if (got == want) {
    print("OK ");
    print(what);
  } else {
    ++failures;
    print("FAIL ");
    print(what);
    print(": got ");
    print_hex((unsigned long)got, 8);
    print(" want ");
    print_hex((unsigned long)want, 8);
  }
  newline();
}

void check_true(const char* what, int condition) {
  check(what, condition != 0, 1);
}
int check_failures(void) {
  return failures;
}

#include "string_functions.c"
