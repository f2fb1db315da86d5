/* Start-up, system calls and output for the static m68k Linux builds of the
   workloads, which run under a user-mode translator beside vellum's guests.
   The string functions are the guest runtime's own loops, so that a
   workload spends the same instructions in them in both builds. */
#include "linux_rt.h"

/* The system call numbers of m68k Linux. */
enum { SYS_EXIT_GROUP = 247, SYS_WRITE = 4 };

/* The kernel enters with argc at (sp), then argv's pointers, a null, the
   environment's pointers and another null. main gets argc and argv from
   there; its result is the exit status. */
__asm__(
    "\t.text\n"
    "\t.globl _start\n"
    "_start:\n"
    "\tmove.l %sp,%a0\n"
    "\tmove.l (%a0)+,%d0\n"
    "\tmove.l %a0,-(%sp)\n"
    "\tmove.l %d0,-(%sp)\n"
    "\tjsr main\n"
    "\tmove.l %d0,-(%sp)\n"
    "\tjsr exit_program\n");

/* trap #0 with the number in d0 and the arguments in d1, d2, d3; the result,
   or minus the error number, comes back in d0. */
static long system_call(long number, long a, long b, long c) {
  register long d0 __asm__("d0") = number;
  register long d1 __asm__("d1") = a;
  register long d2 __asm__("d2") = b;
  register long d3 __asm__("d3") = c;
  __asm__ volatile("trap #0" : "+d"(d0) : "d"(d1), "d"(d2), "d"(d3) : "memory", "cc");
  return d0;
}

void exit_program(int status) __attribute__((noreturn, used));
void exit_program(int status) {
  for (;;) system_call(SYS_EXIT_GROUP, status, 0, 0);
}

/* Writes all of it unless the descriptor fails; a signal that interrupts
   the write (-EINTR) is retried. */
static void write_all(const char* text, size_t n) {
  const long interrupted = -4;
  while (n) {
    long written = system_call(SYS_WRITE, 1, (long)text, (long)n);
    if (written == interrupted) continue;
    if (written <= 0) return;
    text += written;
    n -= (size_t)written;
  }
}

void print(const char* text) {
  write_all(text, strlen(text));
}

void newline(void) {
  write_all("\n", 1);
}

/* The number formats of the guest runtime: decimal with a leading minus,
   hexadecimal in lower case with exactly `digits` digits. */
static char* format_udec(char* out, unsigned long value) {
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

void print_udec(unsigned long value) {
  char buf[16];
  format_udec(buf, value);
  print(buf);
}

void print_dec(long value) {
  char buf[16];
  if (value < 0) {
    buf[0] = '-';
    format_udec(buf + 1, 0UL - (unsigned long)value);
  } else {
    format_udec(buf, (unsigned long)value);
  }
  print(buf);
}

void print_hex(unsigned long value, int digits) {
  char buf[12];
  char* out = buf;
  for (int i = digits - 1; i >= 0; --i) *out++ = "0123456789abcdef"[(value >> (4 * i)) & 15];
  *out = 0;
  print(buf);
}

#include "string_functions.c"
