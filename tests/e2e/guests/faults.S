| Faults: the first letter of the first parameter picks an exception or an
| unhandled I/O access. Every register is set to a known value and the flags
| to X N Z V C just before, and each faulting instruction sits at a fixed
| address, so the whole fault report is known in advance.
|
|   i illegal instruction   z zero divide     c CHK out of bounds
|   v TRAPV                 p privilege       f line F
|   a line A past the 16 Line-A calls (those return)
|   t TRAP #0 (no handler)  r I/O read        w I/O write

	.section .text.start,"ax"
	.globl	_start
_start:
	move.l	4(sp),a0		| basepage
	move.b	0x81(a0),d0		| first letter of the command line
	lea	variants(pc),a1
1:	move.w	(a1)+,d1		| letter, or 0 at the end of the table
	beq.s	2f
	move.l	(a1)+,a0		| where that fault is raised
	cmp.b	d1,d0
	beq.s	go
	bra.s	1b
2:	move.w	#1,-(sp)		| unknown letter: Pterm(1)
	move.w	#0x4c,-(sp)
	trap	#1

variants:
	.word	'i'
	.long	f_illegal
	.word	'z'
	.long	f_zero_divide
	.word	'c'
	.long	f_chk
	.word	'v'
	.long	f_trapv
	.word	'p'
	.long	f_privilege
	.word	'a'
	.long	f_line_a
	.word	'f'
	.long	f_line_f
	.word	't'
	.long	f_trap0
	.word	'r'
	.long	f_io_read
	.word	'w'
	.long	f_io_write
	.word	0

| Jump to A0 with every register but A7 loaded. The return address pushed
| here is popped by the RTS, so the user stack is back where the loader put
| it when the fault happens.
go:	move.l	a0,-(sp)
	move.l	#0x10101010,d0
	move.l	#0x21212121,d1
	move.l	#0x32323232,d2
	move.l	#0x43434343,d3
	move.l	#0x54545454,d4
	move.l	#0x65656565,d5
	move.l	#0x76767676,d6
	move.l	#0x87878787,d7
	move.l	#0x00000000,a0		| vector table
	move.l	#0x0000042e,a1		| system variables
	move.l	#0x00fe0000,a2		| ROM header
	move.l	#0x000124f8,a3		| basepage
	move.l	#0x00012578,a4		| command line in the basepage
	move.l	#0x00000440,a5		| timer calibration word at 0x442
	move.l	#0x01fe0142,a6		| ROM stubs, high byte set
	move.w	#0x1f,ccr
	rts

	.org	0x100
f_illegal:
	illegal
	.org	0x110
f_zero_divide:
	divu.w	#0,d0
	.org	0x120
f_chk:
	chk.w	d7,d6			| 0x7676 is above the bound 0x8787 (negative)
	.org	0x130
f_trapv:
	trapv
	.org	0x140
f_privilege:
	move.w	#0x2700,sr
	.org	0x150
f_line_a:
	.word	0xa010			| past the 16 Line-A calls: no call
	.org	0x160
f_line_f:
	.word	0xf00f
	.org	0x170
f_trap0:
	trap	#0
	.org	0x180
f_io_read:
	move.l	(0xff8240).l,d1
	.org	0x190
f_io_write:
	move.l	d0,(0xff8240).l
	.org	0x200
