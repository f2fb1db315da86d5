/* The runtime's output functions for the host build of the workloads,
   printing exactly what the guest runtime prints. */
#include <stdio.h>

#include "workload.h"

void print(const char* text) {
  fputs(text, stdout);
}

void print_dec(long value) {
  printf("%ld", value);
}

void print_udec(unsigned long value) {
  printf("%lu", value);
}

void print_hex(unsigned long value, int digits) {
  for (int i = digits - 1; i >= 0; --i) putchar("0123456789abcdef"[(value >> (4 * i)) & 15]);
}

void newline(void) {
  putchar('\n');
}
