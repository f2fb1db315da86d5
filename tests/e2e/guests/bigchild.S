| A program that fits in memory on its own but not as a child: its BSS
| takes nearly all the memory between the load address and the ROM.
#include "asm.inc"

	.section .text.start,"ax"
	.globl	_start
_start:
	PRINT	"bigchild is running\n"
	GEMDOS	0x00

	.bss
	.space	0xFC8000
