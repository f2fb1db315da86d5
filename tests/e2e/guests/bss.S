| BSS cleared: the loader lays the relocation table over the start of the
| BSS, relocates, then clears the BSS. A long table (many pointers in data)
| makes sure there is something to clear. BSS_SIZE sets the size of the
| BSS block (bigbss.S includes this file with a size of 256 KiB).

#ifndef BSS_SIZE
#define BSS_SIZE 4096
#endif
#include "asm.inc"

	.section .text.start,"ax"
	.globl	_start
_start:
	move.l	4(sp),a5		| basepage
	move.l	24(a5),a0		| BSS start
	move.l	28(a5),d2		| BSS length
	move.l	#__bss_end,d0
	sub.l	#__bss_start,d0
	cmp.l	d2,d0			| elf2gemdos may have grown it
	sls	d0
	and.l	#1,d0
	CHECK	"BSS at least as long as linked", 1
	moveq	#0,d0			| non-zero bytes found
	bra.s	2f
1:	tst.b	(a0)+
	beq.s	2f
	addq.l	#1,d0
2:	subq.l	#1,d2			| a 32-bit count: DBRA stops at 64 Ki
	bcc.s	1b
	CHECK	"no byte of the BSS is set", 0

	| The pointers were relocated before the BSS was cleared.
	lea	pointers(pc),a0
	lea	_start(pc),a1
	move.w	#POINTERS-1,d2
	moveq	#0,d0			| pointers that miss
3:	cmpa.l	(a0)+,a1
	beq.s	4f
	addq.l	#1,d0
4:	addq.l	#4,a1
	dbra	d2,3b
	CHECK	"all pointers relocated", 0
	bra.w	finish

POINTERS = 400
	.data
pointers:
	.irp	n, 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19
	.irp	m, 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19
	.long	_start+4*(\n*20+\m)
	.endr
	.endr

	.bss
	.space	BSS_SIZE
