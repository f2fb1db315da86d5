| Code that changes while it runs. The case translates every block at its
| first run (VELLUM_TRANSLATE_AFTER=1), so each rewrite below meets code
| that is already translated: a stale translation would print the old
| results.
#include "asm.inc"

	.section .text.start,"ax"
	.globl	_start
_start:
	| The instruction right after a store, in the same block, is the one
	| the store wrote.
	moveq	#0,d0
	lea	next(pc),a0
	move.w	#0x7005,(a0)		| moveq #5,d0
next:	moveq	#1,d0
	CHECK	"the next instruction as a MOVE wrote it", 5

	| The same through MOVEM, which the interpreter's handler performs.
	lea	next_movem(pc),a0
	move.l	#0x70444E71,d5		| moveq #$44,d0 ; nop
	movem.l	d5,(a0)
next_movem:
	moveq	#0,d0
	nop
	CHECK	"the next instruction as MOVEM wrote it", 0x44

	| Each pass rewrites the ADDQ at the top of its own body: pass p adds
	| the quick value p mod 8 (0 standing for 8), the first pass 1.
	moveq	#0,d1			| sum
	moveq	#0,d3			| pass
	moveq	#15,d2
loop:	addq.l	#1,d1
	addq.l	#1,d3
	move.l	d3,d4
	and.w	#7,d4
	lsl.w	#8,d4
	add.w	d4,d4
	or.w	#0x5081,d4		| addq.l #(d3 & 7),d1
	move.w	d4,loop
	dbra	d2,loop
	move.l	d1,d0
	CHECK	"a loop that rewrites its own body", 65

	| A routine the program writes, calls, rewrites and calls again.
	lea	routine,a0
	move.l	#0x70114E75,(a0)	| moveq #$11,d0 ; rts
	jsr	(a0)
	CHECK	"a routine written at run time", 0x11
	move.w	#0x7022,(a0)
	jsr	(a0)
	CHECK	"the routine rewritten", 0x22
	move.l	#0x70334E75,d5
	movem.l	d5,(a0)
	jsr	(a0)
	CHECK	"the routine rewritten by MOVEM", 0x33
	bra.w	finish

	.bss
	.balign	4
routine:	.space	16
