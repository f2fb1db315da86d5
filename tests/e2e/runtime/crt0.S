| Start-up code for C guest programs.
|
| The loader enters at the first byte of the text segment in user mode with
| the basepage address at 4(sp). The program gets its own stack at the end of
| its BSS (which the loader has already cleared), hands the memory above it
| back with Mshrink inside __rt_start, and never returns here: __rt_start ends
| the program with Pterm.

	.section .text.start,"ax"
	.globl	_start
_start:
	move.l	4(sp),a0		| basepage
	move.l	#__stack_top,sp
	move.l	a0,-(sp)
	jsr	__rt_start
	illegal				| not reached

	.bss
	.balign	4
	.globl	__stack_top
__stack:
	.space	16384
__stack_top:
