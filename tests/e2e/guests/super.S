| Super, Supexec and Setexc: switching to supervisor mode and back, running a
| routine in supervisor mode, and reading and replacing exception vectors,
| which then really catch the exceptions.
#include "asm.inc"

INITIAL_SSP = 0x120ca

| D1 := 1 when the S bit of SR is set, else 0.
	.macro	SUPERVISOR_BIT
	move.w	sr,d1
	and.l	#0x2000,d1
	lsr.l	#8,d1
	lsr.l	#5,d1
	.endm

	.section .text.start,"ax"
	.globl	_start
_start:
	move.l	sp,a5			| the stack as the program got it

	| Super(1) asks for the mode.
	move.l	#1,-(sp)
	GEMDOS	0x20,4
	CHECK	"Super(1) in user mode", 0

	| Super(0): supervisor mode on the stack in use, answering the old
	| supervisor stack pointer less the TRAP frame.
	clr.l	-(sp)
	GEMDOS	0x20,4
	move.l	d0,d7
	CHECK	"Super(0) answers the frame address", INITIAL_SSP-6
	SUPERVISOR_BIT
	move.l	d1,d0
	CHECK	"supervisor mode after Super(0)", 1
	move.l	sp,d0
	move.l	a5,d1
	CHECKD1	"the same stack after Super(0)"
	move	usp,a0
	move.l	a0,d0
	lea	-6(a5),a0
	move.l	a0,d1
	CHECKD1	"USP keeps the stack pointer of the call"

	move.l	#1,-(sp)
	GEMDOS	0x20,4
	CHECK	"Super(1) in supervisor mode", -1

	PRINT	"Cconws from supervisor mode\n"

	| Privileged instructions work now.
	move.w	sr,d0
	move.w	d0,sr
	and.l	#0x2000,d0
	CHECK	"MOVE to SR in supervisor mode", 0x2000

	| Super(old stack) returns to user mode.
	move.l	d7,-(sp)
	GEMDOS	0x20,4
	move.l	a5,sp			| A7 is the user stack pointer again
	SUPERVISOR_BIT
	move.l	d1,d0
	CHECK	"user mode after Super(old)", 0

	| The supervisor stack now ends at the frame address of the first
	| call, 6 below where it started.
	clr.l	-(sp)
	GEMDOS	0x20,4
	CHECK	"Super(0) once more", INITIAL_SSP-12
	move.l	d0,-(sp)
	GEMDOS	0x20,4
	move.l	a5,sp
	SUPERVISOR_BIT
	move.l	d1,d0
	CHECK	"user mode again", 0

	| Supexec: the routine runs in supervisor mode and its D0 comes back.
	pea	routine(pc)
	XBIOS	0x26,4
	CHECK	"Supexec answers the routine's D0", 5
	move.w	routine_sr,d0
	and.l	#0x2000,d0
	CHECK	"the routine ran in supervisor mode", 0x2000
	SUPERVISOR_BIT
	move.l	d1,d0
	CHECK	"user mode after Supexec", 0

	| Setexc on a vector the loader left empty.
	move.l	#-1,-(sp)
	move.w	#0x45,-(sp)
	BIOS	5,6
	CHECK	"Setexc(0x45, -1) reads 0", 0
	move.l	#0x12345678,-(sp)
	move.w	#0x45,-(sp)
	BIOS	5,6
	CHECK	"Setexc(0x45, x) answers the old value", 0
	move.l	0x114,d0
	CHECK	"the vector at 0x114 now holds x", 0x12345678
	move.l	#-1,-(sp)
	move.w	#0x45,-(sp)
	BIOS	5,6
	CHECK	"Setexc(0x45, -1) reads x", 0x12345678

	| TRAP #3 through a vector of our own.
	pea	trap3_handler(pc)
	move.w	#35,-(sp)
	BIOS	5,6
	CHECK	"Setexc(35) answers the ROM stub", 0xfe01c6
	moveq	#0,d0
	trap	#3
	CHECK	"TRAP #3 reached the new handler", 0xcafe

	| An illegal instruction, skipped by a handler of our own.
	pea	illegal_handler(pc)
	move.w	#4,-(sp)
	BIOS	5,6
	CHECK	"Setexc(4) answers the ROM stub", 0xfe014a
	moveq	#0,d6
	illegal
	move.l	d6,d0
	CHECK	"ILLEGAL was caught and skipped", 1

	| A zero divide, caught; the stacked PC is already past the DIVU.
	pea	zero_divide_handler(pc)
	move.w	#5,-(sp)
	BIOS	5,6
	CHECK	"Setexc(5) answers the ROM stub", 0xfe014e
	moveq	#0,d6
	moveq	#0,d5
	divu.w	d5,d6
	move.l	d6,d0
	CHECK	"zero divide was caught", 2

	bra.w	finish

routine:
	move.w	sr,routine_sr
	moveq	#5,d0
	rts

trap3_handler:
	move.l	#0xcafe,d0
	rte

illegal_handler:
	addq.l	#2,2(sp)
	moveq	#1,d6
	rte

zero_divide_handler:
	moveq	#2,d6
	rte

	.bss
	.balign	2
routine_sr:	.space	2
