| The second child of smc_parent, loaded where the first one ran: 7 doubled
| ten times as its exit code.
	.section .text.start,"ax"
	.globl	_start
_start:
	moveq	#7,d1
	moveq	#9,d2
1:	add.l	d1,d1
	dbra	d2,1b
	move.w	d1,-(sp)
	move.w	#0x4c,-(sp)
	trap	#1

	| One relocated long, as a linked program has.
	.data
	.long	_start
