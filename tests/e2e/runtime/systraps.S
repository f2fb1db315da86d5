| Trap gates for the C runtime and 32-bit multiply.
|
| long __trap1(const unsigned short *block, unsigned long bytes) copies the
| parameter block (function number first) onto the stack, issues the trap and
| returns D0. The stack pointer is put back from a saved copy rather than by
| popping: Super changes which stack A7 names, and the caller's frame has to
| survive that.

	.text
	.macro	trapgate name, number
	.globl	\name
\name:
	movem.l	d2/a2,-(sp)
	move.l	12(sp),a0		| block
	move.l	16(sp),d1		| bytes, even and at least 2
	move.l	sp,a2
	sub.l	d1,sp
	move.l	sp,a1
	lsr.l	#1,d1
	subq.l	#1,d1
1:	move.w	(a0)+,(a1)+
	dbra	d1,1b
	trap	#\number
	move.l	a2,sp
	movem.l	(sp)+,d2/a2
	rts
	.endm

	trapgate __trap1, 1
	trapgate __trap13, 13
	trapgate __trap14, 14

| unsigned long __mulsi3(unsigned long a, unsigned long b): the low 32 bits
| of the product, from three 16x16 multiplies.
	.globl	__mulsi3
__mulsi3:
	move.w	4(sp),d0		| high word of a
	mulu.w	10(sp),d0		| * low word of b
	move.w	8(sp),d1		| high word of b
	mulu.w	6(sp),d1		| * low word of a
	add.w	d1,d0
	swap	d0
	clr.w	d0
	move.w	6(sp),d1		| low word of a
	mulu.w	10(sp),d1		| * low word of b
	add.l	d1,d0
	rts
