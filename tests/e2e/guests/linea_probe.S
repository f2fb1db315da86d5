| long linea_changes(long call): executes Line-A call `call` (0 to 15) with
| D0-D7 and A0-A6 holding known values and the condition codes all set, and
| answers a mask of what the call changed: bit n for register n (D0-D7,
| then A0-A6), bit 15 for the status register. The registers $A000 sets
| are left in linea_after for the caller. Works in either mode: the call's
| frame goes on whichever stack is the supervisor's.

	.text
	.globl	linea_changes
linea_changes:
	movem.l	d2-d7/a2-a6,-(sp)
	move.l	48(sp),d0		| the call: 11 saved registers, the return
	lsl.l	#2,d0			| address, then the argument
	lea	calls(pc),a0
	add.l	d0,a0
	pea	back(pc)		| where the call's RTS comes back to
	move.l	a0,-(sp)		| and the call itself, taken by an RTS
	movem.l	pattern,d0-d7/a0-a6
	move	#0x1F,ccr
	move	sr,sr_before
	rts
back:	move	sr,sr_after
	movem.l	d0-d7/a0-a6,linea_after
	lea	linea_after,a0
	lea	pattern,a1
	moveq	#0,d0			| the mask
	moveq	#0,d1			| register number
1:	cmp.l	(a0)+,(a1)+		| CMPM.L
	beq.s	2f
	bset	d1,d0
2:	addq.l	#1,d1
	cmp.l	#15,d1
	bne.s	1b
	move.w	sr_after,d1
	cmp.w	sr_before,d1
	beq.s	3f
	bset	#15,d0
3:	movem.l	(sp)+,d2-d7/a2-a6
	rts

| One entry of four bytes per call: its opcode, then the way back.
	.balign	2
calls:
	.irp	n, 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15
	.word	0xa000 + \n
	rts
	.endr

	.data
	.balign	4
pattern:
	.long	0x10101010, 0x21212121, 0x32323232, 0x43434343
	.long	0x54545454, 0x65656565, 0x76767676, 0x87878787
	.long	0x98989898, 0xa9a9a9a9, 0xbabababa, 0xcbcbcbcb
	.long	0xdcdcdcdc, 0xedededed, 0xfefefefe

	.bss
	.balign	4
	.globl	linea_after
linea_after:	.space	15*4
sr_before:	.space	2
sr_after:	.space	2
