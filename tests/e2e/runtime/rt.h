/* The small C runtime that guest programs link with: start-up, console
   output, number formatting, self-check reporting and the few library
   functions the compiler may call on its own. */
#ifndef GUEST_RT_H
#define GUEST_RT_H

#include "tos.h"

typedef unsigned long size_t;

/* The program's basepage, as the loader passed it. */
extern unsigned char* _base;

int main(int argc, char** argv);

/* Console output through Cconws. */
void print(const char* text);
void print_dec(long value);
void print_udec(unsigned long value);
void print_hex(unsigned long value, int digits);
void newline(void);

/* Formatting into a caller's buffer; each returns the end of the text and
   writes a terminating NUL there. */
char* format_udec(char* out, unsigned long value);
char* format_dec(char* out, long value);
char* format_hex(char* out, unsigned long value, int digits);

/* Self-checks: print "OK <what>" or "FAIL <what>: got <got> want <want>"
   and count the failures; check_failures() gives the count so far. */
void check(const char* what, long got, long want);
void check_true(const char* what, int condition);
int check_failures(void);

size_t strlen(const char* s);
int strcmp(const char* a, const char* b);
void* memcpy(void* dst, const void* src, size_t n);
void* memmove(void* dst, const void* src, size_t n);
void* memset(void* dst, int c, size_t n);
int memcmp(const void* a, const void* b, size_t n);

#endif
