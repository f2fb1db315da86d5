| Output and self-check routines for assembly guests (see asm.inc).

	.text

| puts: print the NUL-terminated text at A0. Keeps all registers.
	.globl	puts
puts:
	movem.l	d0-d1/a0-a1,-(sp)
	move.l	a0,-(sp)
	move.w	#9,-(sp)
	trap	#1
	addq.l	#6,sp
	movem.l	(sp)+,d0-d1/a0-a1
	rts

| puthex: print D0 as eight lower-case hexadecimal digits. Keeps all
| registers.
	.globl	puthex
puthex:
	movem.l	d0-d2/a0,-(sp)
	lea	hexbuf+8(pc),a0
	moveq	#7,d2
1:	move.l	d0,d1
	and.w	#15,d1
	move.b	digits(pc,d1.w),-(a0)
	lsr.l	#4,d0
	dbra	d2,1b
	bsr.w	puts
	movem.l	(sp)+,d0-d2/a0
	rts
digits:	.ascii	"0123456789abcdef"

| check: compare D0 (got) with D1 (want); print "OK <A0>" or
| "FAIL <A0>: got <D0> want <D1>" and a newline. Keeps all registers.
	.globl	check
check:
	cmp.l	d0,d1
	bne.s	1f
	move.l	a0,-(sp)
	lea	ok_text(pc),a0
	bsr.w	puts
	move.l	(sp)+,a0
	bsr.w	puts
	bra.s	2f
1:	addq.w	#1,failures
	move.l	a0,-(sp)
	lea	fail_text(pc),a0
	bsr.w	puts
	move.l	(sp)+,a0
	bsr.w	puts
	move.l	a0,-(sp)
	lea	got_text(pc),a0
	bsr.w	puts
	bsr.w	puthex
	lea	want_text(pc),a0
	bsr.w	puts
	exg	d0,d1
	bsr.w	puthex
	exg	d0,d1
	move.l	(sp)+,a0
2:	move.l	a0,-(sp)
	lea	newline_text(pc),a0
	bsr.w	puts
	move.l	(sp)+,a0
	rts

| finish: end the program with the number of failed checks as exit code.
	.globl	finish
finish:
	move.w	failures,-(sp)
	move.w	#0x4c,-(sp)
	trap	#1

ok_text:	.asciz	"OK "
fail_text:	.asciz	"FAIL "
got_text:	.asciz	": got "
want_text:	.asciz	" want "
newline_text:	.asciz	"\n"

	.data
hexbuf:	.ascii	"00000000"
	.byte	0

	.bss
	.balign	2
failures:	.space	2
