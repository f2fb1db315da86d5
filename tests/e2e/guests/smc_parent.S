| Two children run one after the other from the same memory: the second is
| loaded over the first, whose code was translated (the case translates
| every block at its first run). Each must run its own code.
#include "asm.inc"

	.section .text.start,"ax"
	.globl	_start
_start:
	lea	first_name,a3
	bsr.s	run_child
	CHECK	"the first child ran its own code", 4950
	lea	second_name,a3
	bsr.s	run_child
	CHECK	"the second child, loaded over the first, ran its own", 7168
	bra.w	finish

| Pexec mode 0 of the file named at A3; D0 the child's code.
run_child:
	clr.l	-(sp)
	pea	tail
	move.l	a3,-(sp)
	clr.w	-(sp)
	GEMDOS	0x4B,14
	rts

	.data
first_name:	.asciz	"smc_child_a.tos"
second_name:	.asciz	"smc_child_b.tos"
tail:	.byte	0, 0
