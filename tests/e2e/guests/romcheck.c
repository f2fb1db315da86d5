/* The machine as the loader hands it over: registers at the first
   instruction (recorded by romcheck_entry.S), exception vectors, system
   variables, the basepage and its command line, the environment, the user
   and supervisor stacks, and the relocation of the program itself. Run with
   the parameters "one" and "two words". */
#include "rt.h"

#define PEEK8(a) (*(volatile unsigned char*)(a))
#define PEEK16(a) (*(volatile unsigned short*)(a))
#define PEEK32(a) (*(volatile unsigned long*)(a))

#define BASEPAGE 0x124F8UL
#define TEXT_START 0x125F8UL
#define USER_STACK 0xFDFFF8UL

extern unsigned long entry_regs[16], entry_pc, reloc_expected[4], reloc_pointers[4];
extern unsigned short entry_sr;
long ssp_probe(void);

static void registers(void) {
  check("PC", (long)entry_pc, TEXT_START);
  check("SR", entry_sr & 0xFF00, 0x0700);
  check("A7", (long)entry_regs[15], USER_STACK);
  check("A0", (long)entry_regs[8], 0);
  check("A1", (long)entry_regs[9], BASEPAGE);
  check("A2", (long)entry_regs[10], TEXT_START);
  check("A3", (long)entry_regs[11], BASEPAGE - 0x10);
  check("A6", (long)entry_regs[14], USER_STACK);
  check("user stack: (A7)", (long)PEEK32(USER_STACK), 0);
  check("user stack: 4(A7)", (long)PEEK32(USER_STACK + 4), BASEPAGE);
  /* The routine runs below the TRAP's 6-byte frame and its return address. */
  check("supervisor stack", Supexec(ssp_probe) + 6 + 4, 0x120CA);
}

static unsigned long stub_for(int vector) {
  switch (vector) {
    case 33:
      return 0xFE023A; /* GEMDOS */
    case 34:
      return 0xFE024E; /* AES/VDI */
    case 45:
      return 0xFE0254; /* BIOS */
    case 46:
      return 0xFE0268; /* XBIOS */
  }
  return 0xFE0142 + 4 * (vector - 2);
}

static void vectors(void) {
  check("vector 0 (mirrored ROM header)", (long)PEEK32(0), 0x602E0104);
  check("vector 1 (reset PC)", (long)PEEK32(4), 0xFE0030);
  int wrong = 0;
  for (int v = 2; v < 64; ++v) {
    if (PEEK32(4 * v) != stub_for(v)) {
      ++wrong;
      print("vector ");
      print_dec(v);
      print(" is ");
      print_hex(PEEK32(4 * v), 8);
      newline();
    }
  }
  check("vectors 2 to 63 point at their stubs", wrong, 0);
}

static void system_variables(void) {
  check("0x442 timer calibration", PEEK16(0x442), 20);
  check("0x432 bottom of memory", (long)PEEK32(0x432), 0x125DC);
  check("0x42E top of physical memory", (long)PEEK32(0x42E), 0xFE0000);
  check("0x436 top of available memory", (long)PEEK32(0x436), 0xFE0000);
}

static void rom_header(void) {
  check("ROM magic", (long)PEEK32(0xFE002C), 0x454D5520);
  check("ROM load address", (long)PEEK32(0xFE000C), 0x125DC);
  check("ROM command tail address", (long)PEEK32(0xFE0024), 0xFE027C);
}

static void basepage(void) {
  const unsigned long bp = (unsigned long)_base;
  check("basepage address", (long)bp, BASEPAGE);
  check("lowest address", (long)PEEK32(bp), BASEPAGE);
  check("highest address", (long)PEEK32(bp + 4), 0xFE0000);
  check("text start", (long)PEEK32(bp + 8), TEXT_START);
  check("data start", (long)PEEK32(bp + 0x10), (long)(PEEK32(bp + 8) + PEEK32(bp + 0x0C)));
  check("BSS start", (long)PEEK32(bp + 0x18), (long)(PEEK32(bp + 0x10) + PEEK32(bp + 0x14)));
  check("DTA", (long)PEEK32(bp + 0x20), BASEPAGE + 0x80);
  check("environment pointer", (long)PEEK32(bp + 0x2C), BASEPAGE - 0x10);
  int stray = 0;
  for (unsigned long at = bp + 0x24; at < bp + 0x80; ++at)
    if (at < bp + 0x2C || at >= bp + 0x30) stray += PEEK8(at) != 0;
  check("unset basepage bytes are zero", stray, 0);
  int environment = 0;
  for (unsigned long at = BASEPAGE - 0x10; at < BASEPAGE; ++at) environment += PEEK8(at) != 0;
  check("environment is empty", environment, 0);
}

static void command_line(void) {
  static const char expected[] = "\x0Done two\x1Awords ";
  check_true("command line copied into the basepage",
             memcmp(_base + 0x80, expected, sizeof expected) == 0);
  check_true("basepage holds the first 128 bytes of the ROM's tail buffer",
             memcmp(_base + 0x80, (const void*)0xFE027C, 128) == 0);
}

static void relocation(void) {
  static const char* const names[] = {"pointer to text", "pointer to BSS", "pointer to data",
                                      "pointer to the end of BSS"};
  for (int i = 0; i < 4; ++i) check(names[i], (long)reloc_pointers[i], (long)reloc_expected[i]);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  registers();
  vectors();
  system_variables();
  rom_header();
  basepage();
  command_line();
  relocation();
  return check_failures();
}
