| The built-in OS ROM: the reset routine that starts the program the runner
| loaded, the exception stubs that hand every exception to the host, and the
| stubs of the four OS-call traps. It is installed at 0xFE0000, with its
| first 8 bytes (the reset stack pointer and PC) mirrored to address 0.
|
| Programs see these addresses (in the vector table, in every register dump,
| in the environment pointer of their basepage), so nothing may move: a
| change that shortens or lengthens a routine must pad it back.
|
| tools/make_os_rom.py assembles this file with the m68k binutils and writes
| machine/os_rom_image.cpp (the bytes, one source line to a row) and
| machine/os_rom_symbols.h (every symbol exported below, for the host).
| Both are committed, so building vellum needs no cross tools; the test
| build reassembles this file and requires the committed files unchanged.
|
| Syntax: the GNU assembler's Motorola mnemonics, registers without a %.

| --- What the host takes from here (machine/os_rom_symbols.h) --------------
| The comment after each name becomes the constant's comment there.

	.globl	os_rom_base		| The image's first byte, where the runner installs it.
	.globl	os_rom_size		| Bytes in the image.
	.globl	os_rom_magic		| The header's last long, "EMU ": the runner refuses another ROM.
	.globl	magic_field		| The header long holding the magic.
	.globl	load_address_field	| The header long holding the load address.
	.globl	environment_field	| The header long the first program's environment address comes from.
	.globl	command_tail_field	| The header long holding the command tail buffer's address.
	.globl	load_address		| Where the runner loads the program file raw.
	.globl	first_basepage		| The first program's basepage, 256 bytes below its text.
	.globl	entry_sr		| The SR a program starts with: user mode, interrupt mask 7.
	.globl	memory_top_variable	| The system variable holding the top of the memory programs get.
	.globl	exception_stubs		| Vector 2's stub; each later vector's lies 4 bytes on.
	.globl	exception_channels	| Vector v's stub writes A7 to this address + 4 * v.
	.globl	gemdos_stub		| TRAP #1.
	.globl	gemdos_channel		| Where the GEMDOS stub writes the parameter pointer.
	.globl	aes_vdi_stub		| TRAP #2.
	.globl	aes_vdi_channel		| Where the AES/VDI stub writes A7.
	.globl	rom_exception_return	| An RTE: the host returns through it from an exception it served.
	.globl	bios_stub		| TRAP #13.
	.globl	bios_channel		| Where the BIOS stub writes the parameter pointer.
	.globl	xbios_stub		| TRAP #14.
	.globl	xbios_channel		| Where the XBIOS stub writes the parameter pointer.
	.globl	command_tail_buffer	| The runner writes the command tail here; 128 bytes reach the basepage.

| --- Layouts ----------------------------------------------------------------

| The program file's header, read where the runner loaded the file (the host
| names the same fields in machine/program_file.h).
ph_text_length	= 0x02
ph_data_length	= 0x06
ph_bss_length	= 0x0A
ph_symbols_length = 0x0E
ph_absolute	= 0x1A		| non-zero: the program is not relocated
ph_size		= 0x1C		| the text follows the header

| The basepage: 256 bytes below a program's text that describe it (the host
| names the same fields in machine/basepage.h).
bp_memory_start = 0x00		| the first byte of the program's memory
bp_memory_end	= 0x04		| the first byte above it
bp_text		= 0x08
bp_text_length	= 0x0C
bp_data		= 0x10
bp_data_length	= 0x14
bp_bss		= 0x18
bp_bss_length	= 0x1C
bp_dta		= 0x20
bp_environment	= 0x2C
bp_command_line	= 0x80		| length byte, characters, NUL: the basepage's last 128 bytes
bp_size		= 0x100

| --- The memory map ----------------------------------------------------------

| Where the image lies: tools/make_os_rom.py links its one section here.
os_rom_address	= 0xFE0000

| The program file goes here raw, so that its text (after the 28-byte
| header) starts 256 bytes above the basepage the reset routine builds over
| the bytes below. The header is read before the command line overwrites it.
load_address	= 0x125DC
first_text	= load_address + ph_size
first_basepage	= first_text - bp_size
empty_environment = first_basepage - 16
| The reset routine's own stack, below the environment.
supervisor_stack_room = 0x512

| System variables the reset routine sets.
phys_top_variable = 0x42E	| top of physical memory
memory_bottom_variable = 0x432	| bottom of the memory programs get
memory_top_variable = 0x436	| top of the memory programs get
tick_ms_variable = 0x442	| milliseconds per system tick
ms_per_tick	= 20

| Exception vectors (4 bytes each from address 0).
first_stub_vector = 2		| vectors 0 and 1 keep the mirrored reset longs
last_vector	= 63
gemdos_vector	= 33		| TRAP #1
aes_vdi_vector	= 34		| TRAP #2
bios_vector	= 45		| TRAP #13
xbios_vector	= 46		| TRAP #14

| The trap channels: writes the host's bus decodes in the I/O region. Each
| stub writes to its vector's channel. The stubs address them as absolute
| shorts, which sign-extend: 0xFF84.w is 0xFFFFFF84, and the 24-bit bus makes
| that 0xFFFF84.
exception_channels = 0xFFFF00
gemdos_channel	= exception_channels + 4 * gemdos_vector
aes_vdi_channel	= exception_channels + 4 * aes_vdi_vector
bios_channel	= exception_channels + 4 * bios_vector
xbios_channel	= exception_channels + 4 * xbios_vector

supervisor_bit	= 0x2000
entry_sr	= 0x0700
os_rom_magic	= 0x454D5520	| "EMU "
fsetdta		= 0x1A		| GEMDOS function number

	.text

| --- Header ------------------------------------------------------------------

os_rom_base:
	| The branch and the version word make the long that reset loads as the
	| supervisor stack pointer (0x602E0104); the reset routine sets its own.
	bra.s	reset_routine
	.word	0x0104			| version
	.long	reset_routine		| reset PC
	.long	os_rom_base		| image base
load_address_field:
	.long	load_address
	.long	reset_routine		| the reset routine again
environment_field:
	| The runner points this at a long parameter list's ARGV environment
	| above the ROM before the program starts.
	.long	empty_environment
	.long	0x25082018		| build date, BCD
	.long	0
	.long	0
command_tail_field:
	.long	command_tail_buffer
	.long	os_rom_end		| the buffer's end, the image's end
magic_field:
	.long	os_rom_magic

| --- Reset: start the program the runner loaded at load_address --------------

reset_routine:
	move.w	#(supervisor_bit + entry_sr),sr
	reset
	movea.l	load_address_field(pc),a7
	lea	-supervisor_stack_room(a7),a7

	| Every vector from 2 on enters its stub, which reports the exception
	| to the host; the four OS-call traps then get their own stubs.
	lea	(4 * first_stub_vector).w,a0
	lea	exception_stubs(pc),a1
	move.w	#(last_vector - first_stub_vector),d0
install_vectors:
	move.l	a1,(a0)+
	addq.l	#4,a1
	dbra	d0,install_vectors
	move.l	#gemdos_stub,(4 * gemdos_vector).w
	move.l	#aes_vdi_stub,(4 * aes_vdi_vector).w
	move.l	#bios_stub,(4 * bios_vector).w
	move.l	#xbios_stub,(4 * xbios_vector).w

	move.w	#ms_per_tick,tick_ms_variable.w
	move.l	load_address_field(pc),memory_bottom_variable.w
	lea	os_rom_base(pc),a0	| all memory below the ROM
	move.l	a0,phys_top_variable.w
	move.l	a0,memory_top_variable.w

	| The basepage: segment addresses and lengths from the program header.
	movea.l	load_address_field(pc),a0	| the program header
	lea	(ph_size - bp_size)(a0),a1	| the basepage
	lea	ph_size(a0),a2			| the text
	move.l	a2,bp_text(a1)
	movea.l	a2,a3				| relocation base and cursor
	move.l	ph_text_length(a0),bp_text_length(a1)
	adda.l	ph_text_length(a0),a2
	move.l	a2,bp_data(a1)
	move.l	ph_data_length(a0),bp_data_length(a1)
	adda.l	ph_data_length(a0),a2
	move.l	a2,bp_bss(a1)
	move.l	ph_bss_length(a0),bp_bss_length(a1)
	move.l	ph_bss_length(a0),d3		| BSS length: the clearing count
	movea.l	a2,a4				| BSS start: the clearing cursor
	adda.l	ph_symbols_length(a0),a2	| the relocation table follows the symbols

| The relocation table: a long, the offset of the first fix-up from the
| text (0: none); then one byte per step: 0 ends the table, 1 moves on 254
| bytes without a fix-up, any other value moves on that many bytes to the
| next fix-up. A fix-up adds the text's address to the long there.
relocate:
	tst.w	ph_absolute(a0)
	bne.s	clear_bss
	tst.l	(a2)
	beq.s	clear_bss
	moveq	#0,d0			| the steps are read into the low byte
	move.l	a3,d1			| the text's address, added at each fix-up
	adda.l	(a2)+,a3
fix_up:
	add.l	d1,(a3)
next_step:
	move.b	(a2)+,d0
	beq.s	clear_bss
	| CMP.B #1,D0 in its CMP encoding, where the assembler would choose
	| CMPI; the image keeps the bytes programs have always found here.
	.word	0xB03C, 0x0001
	bne.s	step
	lea	254(a3),a3
	bra.s	next_step
step:
	adda.l	d0,a3
	bra.s	fix_up

| The BSS is cleared with a 32-bit count, so segments of 256 KiB and more
| are cleared whole (a 16-bit DBRA count would stop short and leave the
| relocation table behind in them): length / 4 + 1 longs. The count runs in
| bytes, and the closing ASR.W leaves X as the LSR.L #2 of a DBRA loop did
| (bit 1 of the BSS length) for the program to find in its entry SR; D3
| ends as 0xFFFFFFFF. The NOP pads the loop to the DBRA loop's length, so
| every later routine stays at its address.
clear_bss:
	clr.l	(a4)+
	subq.l	#4,d3			| until the count borrows
	bcc.s	clear_bss
	asr.w	#2,d3			| X = bit 1 of the BSS length
	nop

| The rest of the basepage, the DTA, the command line; then the program.
finish_basepage:
	movea.l	load_address_field(pc),a6
	lea	(ph_size - bp_size)(a6),a1	| the basepage
	lea	ph_size(a6),a2			| the text: the entry point
	| The environment's address comes from the header, where the runner
	| changes it when the parameters go by the ARGV convention. By default
	| it is the empty environment, as LEA -0xF4(A6),A3 gave: the same
	| length, the same A3.
	movea.l	environment_field(pc),a3
	move.l	a3,bp_environment(a1)
	move.l	a1,bp_memory_start(a1)
	lea	bp_command_line(a1),a6
	move.l	a6,bp_dta(a1)
	| Fsetdta(basepage + 0x80), so the host's DTA is the program's from the
	| start; called from supervisor mode, the stub finds the parameters on
	| this stack.
	move.l	a6,-(a7)
	move.w	#fsetdta,-(a7)
	trap	#1
	addq.l	#6,a7
	lea	command_tail_buffer(pc),a0
	moveq	#(bp_size - bp_command_line - 1),d0	| 128 bytes: DBRA runs count + 1 times
copy_command_tail:
	move.b	(a0)+,(a6)+
	dbra	d0,copy_command_tail

| The entry state every program starts in, described for the host in
| machine/program_entry.h (a child Pexec starts is set up from there): A0
| zero, A1 the basepage, A2 the text, A3 the environment; the user stack 8
| bytes below the end of the program's memory, a zero long and then the
| basepage's address at 4(A7), in A6 as well; user mode with interrupt mask
| 7 (entry_sr).
start_program:
	suba.l	a0,a0
	lea	os_rom_base(pc),a6	| the program's memory ends at the ROM
	move.l	a6,bp_memory_end(a1)
	move.l	a1,-(a6)
	clr.l	-(a6)
	move	a6,usp
	andi.w	#(~supervisor_bit & 0xFFFF),sr
	jmp	(a2)

| --- Exception stubs, vectors 2 to 63 -----------------------------------------
| One instruction each: write the exception frame's address to the vector's
| trap channel. The host stops the run inside that write (or, for a Line-A
| call it serves, returns through rom_exception_return), so no RTE follows.

exception_stubs:
	.irp	vector, 2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28
	move.l	a7,((exception_channels + 4 * \vector) & 0xFFFF).w
	.endr
	.irp	vector, 29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53
	move.l	a7,((exception_channels + 4 * \vector) & 0xFFFF).w
	.endr
	.irp	vector, 54,55,56,57,58,59,60,61,62,63
	move.l	a7,((exception_channels + 4 * \vector) & 0xFFFF).w
	.endr

| --- OS-call stubs --------------------------------------------------------------
| The program pushed the function number and its parameters on the stack it
| called from: the user stack, or, from supervisor mode, the supervisor
| stack above the 6-byte exception frame. The stub writes that address (P)
| to its channel; the host reads the parameters from P, answers in D0, and
| the RTE returns to the caller with A0 holding P.

gemdos_stub:
	btst	#5,(a7)			| S in the stacked SR: called from supervisor mode?
	bne.s	gemdos_from_supervisor
	move	usp,a0
	bra.s	gemdos_call
gemdos_from_supervisor:
	lea	6(a7),a0
gemdos_call:
	move.l	a0,(gemdos_channel & 0xFFFF).w
	rte

| The AES/VDI trap hands the host its exception frame. Its RTE is also the
| way back from an exception the host served itself (a Line-A call): the host
| points the PC here, so the frame's SR and PC come back as an exception
| handler's RTE gives them.
aes_vdi_stub:
	move.l	a7,(aes_vdi_channel & 0xFFFF).w
rom_exception_return:
	rte

bios_stub:
	btst	#5,(a7)
	bne.s	bios_from_supervisor
	move	usp,a0
	bra.s	bios_call
bios_from_supervisor:
	lea	6(a7),a0
bios_call:
	move.l	a0,(bios_channel & 0xFFFF).w
	rte

xbios_stub:
	btst	#5,(a7)
	bne.s	xbios_from_supervisor
	move	usp,a0
	bra.s	xbios_call
xbios_from_supervisor:
	lea	6(a7),a0
xbios_call:
	move.l	a0,(xbios_channel & 0xFFFF).w
	rte

| --- The command tail buffer ----------------------------------------------------
| Filled by the runner before the program starts: length byte, characters,
| NUL. The reset routine copies its first 128 bytes into the basepage.

command_tail_buffer:
	.space	256
os_rom_end:

os_rom_size	= os_rom_end - os_rom_base
