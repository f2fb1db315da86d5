| Calls the OS does not handle print a line naming them and answer -32;
| the program carries on. Each call below is followed by the D0 it got.
| Also the handled calls that only answer a constant, and the AES/VDI trap.
#include "asm.inc"

	.macro	SHOWD0
	PRINT	"D0="
	PRINTHEX
	PRINT	"\n"
	.endm

	.section .text.start,"ax"
	.globl	_start
_start:
	move.l	4(sp),a5		| basepage

	GEMDOS	0x15			| Srealloc
	SHOWD0
	GEMDOS	0x50			| no name
	SHOWD0
	GEMDOS	0xff			| Syield, the last number of the classic OS
	SHOWD0
	| From 0x100 up: calls of a later OS, answered without a message.
	GEMDOS	0x14a			| named by its first row
	SHOWD0
	GEMDOS	0x183			| the last row
	SHOWD0
	GEMDOS	0xffff
	SHOWD0
	GEMDOS	0x154			| Ssystem
	SHOWD0

	PRINT	"answers at the end of input:\n"
	GEMDOS	0x08			| Cnecin
	SHOWD0
	GEMDOS	0x0b			| Cconis
	SHOWD0
	GEMDOS	0x12			| Cauxis
	SHOWD0

	| Fsetdta and Fgetdta keep an address for the program.
	move.l	#0x00123456,-(sp)
	GEMDOS	0x1a,4
	GEMDOS	0x2f
	CHECK	"Fgetdta answers what Fsetdta set", 0x00123456

	BIOS	0x00			| Getmpb
	SHOWD0
	BIOS	0x04			| Rwabs
	SHOWD0
	BIOS	0x09			| Mediach
	SHOWD0
	BIOS	0x0c			| no name
	SHOWD0
	BIOS	0x01			| Bconstat
	SHOWD0
	BIOS	0x02			| Bconin
	SHOWD0

	XBIOS	0x00			| Initmouse
	SHOWD0
	XBIOS	0x05			| Setscreen, the first of two rows
	SHOWD0
	XBIOS	0x28			| no name
	SHOWD0
	XBIOS	0x71			| the longest name
	SHOWD0
	XBIOS	0x96			| VsetMask, the last row
	SHOWD0

	| TRAP #2 prints one line and touches no register.
	move.l	#0xc8,d0
	move.l	#0x11223344,d1
	trap	#2
	CHECK	"D0 unchanged by the AES/VDI trap", 0xc8
	move.l	d1,d0
	CHECK	"D1 unchanged by the AES/VDI trap", 0x11223344

	bra.w	finish
