/* The runtime of the static m68k Linux builds of the workloads: the same
   output and string functions as the guest runtime's rt.h, on Linux system
   calls instead of GEMDOS. No C library is linked; the 32-bit multiply and
   divide helpers come from the guest runtime, so both builds of a workload
   run the same helper code. */
#ifndef M68K_LINUX_RT_H
#define M68K_LINUX_RT_H

typedef unsigned long size_t;

int main(int argc, char** argv);

/* Console output: each call is one write to standard output. */
void print(const char* text);
void print_dec(long value);
void print_udec(unsigned long value);
void print_hex(unsigned long value, int digits);
void newline(void);

size_t strlen(const char* s);
int strcmp(const char* a, const char* b);
void* memcpy(void* dst, const void* src, size_t n);
void* memmove(void* dst, const void* src, size_t n);
void* memset(void* dst, int c, size_t n);
int memcmp(const void* a, const void* b, size_t n);

#endif
