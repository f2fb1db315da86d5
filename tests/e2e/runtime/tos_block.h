/* For code that writes GEMDOS and BIOS wrappers: a long as the two words a
   parameter block holds it in, and a wrapper body that lays the block out
   (function number first) and returns what the trap gate answers. */
#ifndef GUEST_TOS_BLOCK_H
#define GUEST_TOS_BLOCK_H

#include "tos.h"

#define HI(x) ((unsigned short)((unsigned long)(x) >> 16))
#define LO(x) ((unsigned short)(unsigned long)(x))

#define GEMDOS(...)                                \
  do {                                             \
    const unsigned short block_[] = {__VA_ARGS__}; \
    return __trap1(block_, sizeof block_);         \
  } while (0)
#define BIOS(...)                                  \
  do {                                             \
    const unsigned short block_[] = {__VA_ARGS__}; \
    return __trap13(block_, sizeof block_);        \
  } while (0)

#endif
