| The first child of smc_parent: 99 + 98 + ... + 0 as its exit code.
	.section .text.start,"ax"
	.globl	_start
_start:
	moveq	#0,d1
	moveq	#99,d2
1:	add.l	d2,d1
	dbra	d2,1b
	move.w	d1,-(sp)
	move.w	#0x4c,-(sp)
	trap	#1

	| One relocated long, as a linked program has.
	.data
	.long	_start
