| Console output: Cconws, and Fwrite to standard output (1) and standard
| error (2), which both reach the host's standard output; then Pterm0.
#include "asm.inc"

	.section .text.start,"ax"
	.globl	_start
_start:
	PRINT	"Hello from Cconws\n"

	pea	line1(pc)
	move.l	#line1_end-line1,-(sp)
	move.w	#1,-(sp)
	GEMDOS	0x40,10
	CHECK	"Fwrite to handle 1 answers the count", line1_end-line1

	pea	line2(pc)
	move.l	#line2_end-line2,-(sp)
	move.w	#2,-(sp)
	GEMDOS	0x40,10
	CHECK	"Fwrite to handle 2 answers the count", line2_end-line2

	| Only the counted bytes are written, NULs included.
	pea	part(pc)
	move.l	#5,-(sp)
	move.w	#1,-(sp)
	GEMDOS	0x40,10
	PRINT	"|\n"

	| An empty string prints nothing and leaves D0 alone.
	move.l	#0x12345678,d0
	pea	empty(pc)
	GEMDOS	0x09,4
	CHECK	"Cconws of an empty string keeps D0", 0x12345678

	GEMDOS	0x00

line1:	.ascii	"Fwrite to standard output\n"
line1_end:
line2:	.ascii	"Fwrite to standard error\n"
line2_end:
part:	.ascii	"ab\0cdefgh"
empty:	.byte	0
