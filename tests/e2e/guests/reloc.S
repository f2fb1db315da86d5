| Relocation: absolute pointers in text and data, some of them far apart so
| that the table needs its 254-byte steps, must all point at their targets
| once loaded; plain constants and absolute symbols stay as they were.
#include "asm.inc"

| Compare the long at `place` with the run-time address of `target`, both
| read PC-relative, so that the comparison does not itself depend on
| relocation.
	.macro	CHECKPTR label, place, target
	movem.l	d0-d1/a0,-(sp)
	move.l	\place(pc),d0
	lea	\target(pc),a0
	move.l	a0,d1
	lea	.Lptr\@(pc),a0
	bsr.w	check
	movem.l	(sp)+,d0-d1/a0
	.pushsection .rodata
.Lptr\@:
	.asciz	"\label"
	.popsection
	.endm

	.section .text.start,"ax"
	.globl	_start
_start:
	move.l	#t_text,d0		| a pointer inside an instruction
	lea	t_text(pc),a0
	move.l	a0,d1
	lea	label_immediate(pc),a0
	bsr.w	check
	lea	t_bss,a1		| an absolute address operand
	lea	t_bss(pc),a0
	move.l	a0,d1
	move.l	a1,d0
	lea	label_operand(pc),a0
	bsr.w	check

	CHECKPTR "pointer to text", p_first, t_text
	CHECKPTR "pointer 254 bytes on", p_254, t_data
	CHECKPTR "pointer 256 bytes on", p_256, t_bss
	CHECKPTR "pointer 508 bytes on", p_508, t_text
	CHECKPTR "pointer 1000 bytes on", p_1000, t_data
	CHECKPTR "pointer right after", p_next, t_bss
	CHECKPTR "pointer with an offset", p_offset, t_data+6
	CHECKPTR "pointer in text", p_in_text, t_data

	move.l	p_constant(pc),d0
	CHECK	"a plain constant is not relocated", 0x00001000
	move.l	p_absolute(pc),d0
	CHECK	"an absolute symbol is not relocated", 0x00abcdef

	bra.w	finish

label_immediate:	.asciz	"pointer in an instruction"
label_operand:		.asciz	"absolute address operand"
	.balign	2
t_text:	.long	0
p_in_text:
	.long	t_data

	.data
p_first:	.long	t_text
	.space	250
p_254:		.long	t_data
	.space	252
p_256:		.long	t_bss
	.space	504
p_508:		.long	t_text
	.space	996
p_1000:		.long	t_data
p_next:		.long	t_bss
p_offset:	.long	t_data+6
p_constant:	.long	0x00001000
p_absolute:	.long	magic_absolute
t_data:	.long	0x12345678, 0x9abcdef0

	.bss
	.space	100
t_bss:	.space	4
