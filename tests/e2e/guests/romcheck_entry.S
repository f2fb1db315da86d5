| Entry probe for romcheck: records the registers exactly as the loader left
| them at the program's first instruction, then starts the C runtime.

	.section .text.start,"ax"
	.globl	_entry
_entry:
	movem.l	d0-d7/a0-a7,entry_regs
	move.w	sr,entry_sr
	lea	_entry(pc),a0
	move.l	a0,entry_pc
	| Where the relocated pointers should point, found PC-relative so that
	| the comparison does not depend on the relocation under test.
	lea	reloc_expected(pc),a1
	move.l	a0,(a1)+
	lea	entry_regs(pc),a0
	move.l	a0,(a1)+
	lea	reloc_pointers(pc),a0
	move.l	a0,(a1)+
	lea	__stack_top(pc),a0
	move.l	a0,(a1)+
	jmp	_start

| long ssp_probe(void): a Supexec routine answering its own stack pointer.
	.globl	ssp_probe
ssp_probe:
	move.l	sp,d0
	rts

	.data
	.globl	reloc_pointers
reloc_pointers:
	.long	_entry, entry_regs, reloc_pointers, __stack_top

	.bss
	.balign	4
	.globl	entry_regs, entry_pc, entry_sr, reloc_expected
entry_regs:	.space	16*4
entry_pc:	.space	4
reloc_expected:	.space	4*4
entry_sr:	.space	2
