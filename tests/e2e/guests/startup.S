| Registers at the program's first instruction and the basepage the loader
| built; every check prints an OK or FAIL line, and the exit code is the
| number of failures.
#include "asm.inc"

BASEPAGE = 0x124f8
TEXT_START = 0x125f8
USER_STACK = 0xfdfff8

	.section .text.start,"ax"
	.globl	_start
_start:
	movem.l	d0-d7/a0-a7,entry_regs
	move.w	sr,entry_sr
	lea	_start(pc),a0
	move.l	a0,entry_pc

	move.l	entry_pc,d0
	CHECK	"PC is the text start", TEXT_START
	move.w	entry_sr,d0
	and.l	#0xff00,d0
	CHECK	"user mode, interrupt mask 7, no trace", 0x0700
	| The loader's last flag-setting steps leave X as its BSS count left it
	| (bit 1 of the BSS length) and Z from clearing the stack's zero long.
	move.w	entry_sr,d0
	and.l	#0x1f,d0
	move.l	BASEPAGE+28,d1
	and.l	#2,d1
	lsl.l	#3,d1
	or.l	#4,d1
	CHECKD1	"condition codes: X is bit 1 of the BSS length, Z set"
	move.l	entry_regs+15*4,d0
	CHECK	"A7 is the user stack", USER_STACK
	move.l	entry_regs+8*4,d0
	CHECK	"A0 is 0", 0
	move.l	entry_regs+9*4,d0
	CHECK	"A1 is the basepage", BASEPAGE
	move.l	entry_regs+10*4,d0
	CHECK	"A2 is the text start", TEXT_START
	move.l	entry_regs+11*4,d0
	CHECK	"A3 is the basepage - 0x10", BASEPAGE-0x10
	move.l	entry_regs+14*4,d0
	CHECK	"A6 is the user stack", USER_STACK
	move.l	USER_STACK,d0
	CHECK	"(A7) is 0", 0
	move.l	USER_STACK+4,d0
	CHECK	"4(A7) is the basepage", BASEPAGE

	| The basepage, from the pointer the program was given.
	move.l	USER_STACK+4,a5
	move.l	(a5),d0
	CHECK	"basepage: lowest address", BASEPAGE
	move.l	4(a5),d0
	CHECK	"basepage: top of memory", 0xfe0000
	move.l	8(a5),d0
	CHECK	"basepage: text start", TEXT_START
	move.l	#__text_end,d1
	sub.l	#__text_start,d1
	move.l	12(a5),d0
	CHECKD1	"basepage: text length"
	move.l	16(a5),d0
	move.l	#__data_start,d1
	CHECKD1	"basepage: data start"
	move.l	#__bss_start,d1
	sub.l	#__data_start,d1
	move.l	20(a5),d0
	CHECKD1	"basepage: data length"
	move.l	24(a5),d0
	move.l	#__bss_start,d1
	CHECKD1	"basepage: BSS start"
	move.l	#__bss_end,d1
	sub.l	#__bss_start,d1
	move.l	28(a5),d0
	CHECKD1	"basepage: BSS length"
	move.l	32(a5),d0
	CHECK	"basepage: DTA", BASEPAGE+0x80
	move.l	36(a5),d0
	CHECK	"basepage: parent", 0
	move.l	40(a5),d0
	CHECK	"basepage: offset 0x28", 0
	move.l	44(a5),d0
	CHECK	"basepage: environment", BASEPAGE-0x10

	| Segment starts follow each other without gaps.
	move.l	8(a5),d1
	add.l	12(a5),d1
	move.l	16(a5),d0
	CHECKD1	"data follows text"
	move.l	16(a5),d1
	add.l	20(a5),d1
	move.l	24(a5),d0
	CHECKD1	"BSS follows data"

	| The loader set the DTA to the command line area.
	GEMDOS	0x2f
	CHECK	"Fgetdta is the basepage + 0x80", BASEPAGE+0x80

	| A trap from user mode leaves the parameter pointer (the user stack
	| pointer at the TRAP) in A0.
	move.w	#0x2f,-(sp)
	move.l	sp,d1
	trap	#1
	addq.l	#2,sp
	move.l	a0,d0
	CHECKD1	"A0 after a user-mode trap is the stack pointer"

	bra.w	finish

	.bss
	.balign	4
entry_regs:	.space	16*4
entry_pc:	.space	4
entry_sr:	.space	2
#ifdef EXTRA_BSS
	.globl	__extra_bss_bytes
	.set	__extra_bss_bytes, EXTRA_BSS
#endif
