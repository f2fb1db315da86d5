| An absolute symbol: references to it need no relocation.
	.globl	magic_absolute
	magic_absolute = 0x00abcdef
