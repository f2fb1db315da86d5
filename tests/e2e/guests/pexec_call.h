/* Pexec and the command-line helpers the Pexec guests share. */
#ifndef PEXEC_CALL_H
#define PEXEC_CALL_H

#include "rt.h"

long Pexec(unsigned short mode, const char* name, const void* tail, const void* env);

/* Writes the length byte, `text` (at most 125 characters) and a NUL into
   `buffer` (128 bytes) and answers it. */
const char* make_tail(char* buffer, const char* text);

unsigned long parse_hex(const char* s);
long parse_dec(const char* s);

#define PEEK32(a) (*(volatile unsigned long*)(a))

#endif
