| A parent in assembly that keeps its stack where the loader put it, at the
| top of memory, and never shrinks itself: the child it runs must leave that
| stack alone, and the parent must come back from Pexec with every register,
| its condition codes and its stack as it left them (D0 holding the child's
| code, A0 the parameter pointer as after every call).
#include "asm.inc"

	.section .text.start,"ax"
	.globl	_start
_start:
	move.l	#0x5A5A1234,-(sp)	| a marker on the parent's own stack
	move.l	sp,marker_at

	clr.l	-(sp)			| environment: the parent's
	pea	tail			| command line
	pea	name			| program file
	clr.w	-(sp)			| mode 0
	move.w	#0x4B,-(sp)
	movem.l	pattern,d1-d7/a1-a6
	move	#0x1B,ccr		| X, N, V and C set, Z clear
	trap	#1
	move	sr,sr_after
	movem.l	d0-d7/a0-a6,after
	move.l	sp,sp_after
	lea	16(sp),sp

	move.l	after,d0
	CHECK	"Pexec answers the child's code", 3
	move.w	sr_after,d0
	and.l	#0x1F,d0
	CHECK	"the condition codes are kept", 0x1B
	move.l	after+32,d0
	move.l	sp_after,d1
	CHECKD1	"A0 is the parameter pointer"
	lea	after+4,a2
	lea	pattern,a3
	moveq	#0,d2			| registers that differ
	moveq	#6,d3
1:	move.l	(a2)+,d0
	cmp.l	(a3)+,d0
	beq.s	2f
	addq.l	#1,d2
2:	dbra	d3,1b
	addq.l	#4,a2			| A0
	moveq	#5,d3
3:	move.l	(a2)+,d0
	cmp.l	(a3)+,d0
	beq.s	4f
	addq.l	#1,d2
4:	dbra	d3,3b
	move.l	d2,d0
	CHECK	"D1-D7 and A1-A6 are kept", 0
	move.l	sp_after,d0
	move.l	marker_at,d1
	sub.l	#16,d1
	CHECKD1	"the stack pointer is kept"
	move.l	marker_at,a0
	move.l	(a0),d0
	CHECK	"the parent's stack is intact", 0x5A5A1234
	bra.w	finish

	.data
pattern:
	.long	0x11111111, 0x22222222, 0x33333333, 0x44444444
	.long	0x55555555, 0x66666666, 0x77777777
	.long	0xA1A1A1A1, 0xA2A2A2A2, 0xA3A3A3A3, 0xA4A4A4A4, 0xA5A5A5A5, 0xA6A6A6A6
name:	.asciz	"pexec_child.tos"
tail:	.byte	6
	.ascii	"code 3"
	.byte	0
	.balign	2

	.bss
	.balign	4
marker_at:	.space	4
sp_after:	.space	4
after:		.space	60
sr_after:	.space	2
