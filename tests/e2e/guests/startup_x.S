| startup.S with a BSS two bytes longer, which flips bit 1 of its length and
| so the X flag the program finds at entry.
#define EXTRA_BSS 2
#include "startup.S"
