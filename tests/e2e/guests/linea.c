/* Line-A, as a converter learns the console size with $A000 and a Forth
   system hides the mouse with $A00A: $A000 answers the variable block (in
   D0 and A0), the font headers (A1) and the routine table (A2) of an
   80-column, 25-row text console, in memory that is not the program's;
   every other call of the sixteen returns having changed nothing, in user
   and in supervisor mode. (An opcode past $A00F stays a fault: faults.S.) */
#include "rt.h"

#define PEEK16(a) (*(volatile short*)(a))
#define PEEK32(a) (*(volatile unsigned long*)(a))

long linea_changes(long call);
extern unsigned long linea_after[15];

#define D0_A0_A1_A2 ((1L << 0) | (1L << 8) | (1L << 9) | (1L << 10))

static long supervisor_init(void) {
  return linea_changes(0);
}
static long supervisor_hide_mouse(void) {
  return linea_changes(10);
}

static void init(void) {
  check("$A000 sets D0, A0, A1 and A2 only", linea_changes(0), D0_A0_A1_A2);
  const unsigned long v = linea_after[8], fonts = linea_after[9], routines = linea_after[10];
  check("D0 and A0 both point at the variables", (long)linea_after[0], (long)v);
  const unsigned long top = PEEK32(_base + 4); /* first address above the program */
  check_true("the variables lie above the program's memory", v - 906 >= top && v < 0xFF8000);
  check_true("and so do the font and routine tables",
             fonts >= top && fonts < 0xFF8000 && routines >= top && routines < 0xFF8000);
  check("text columns - 1 at -44", PEEK16(v - 44), 79);
  check("text rows - 1 at -42", PEEK16(v - 42), 24);
  check("cell height at -46", PEEK16(v - 46), 16);
  check("bytes per text row at -40", PEEK16(v - 40), 1280);
  check("horizontal resolution at -12", PEEK16(v - 12), 640);
  check("vertical resolution at -4", PEEK16(v - 4), 400);
  check("bytes per line at -2", PEEK16(v - 2), 80);
  check("planes at 0", PEEK16(v), 1);
  check("bytes per line at 2", PEEK16(v + 2), 80);
  check("cursor at column 0, row 0", PEEK32(v - 28), 0);
  check_true("VDI arrays to write into",
             PEEK32(v + 4) >= top && PEEK32(v + 8) >= top && PEEK32(v + 12) >= top);

  static const short heights[3] = {6, 8, 16}, widths[3] = {6, 8, 8};
  int wrong = 0;
  for (int f = 0; f < 3; ++f) {
    const unsigned long h = PEEK32(fonts + 4 * f);
    wrong += h < top || PEEK16(h + 82) != heights[f] || PEEK16(h + 52) != widths[f];
    wrong += PEEK16(h + 36) != 0 || PEEK16(h + 38) != 255;
    wrong += PEEK32(h + 84) != (f < 2 ? PEEK32(fonts + 4 * f + 4) : 0);
    const unsigned long offsets = PEEK32(h + 72);
    for (int c = 0; c <= 256; ++c) wrong += PEEK16(offsets + 2 * c) != c * widths[f];
  }
  check("three fonts: 6x6, 8x8, 8x16, chained, with their offset tables", wrong, 0);
  const unsigned long console_font = PEEK32(fonts + 8);
  check("the console's font data is the 8x16 font's", (long)PEEK32(v - 22),
        (long)PEEK32(console_font + 76));
  check("and its offset table", (long)PEEK32(v - 10), (long)PEEK32(console_font + 72));

  wrong = 0;
  for (int r = 0; r < 16; ++r) {
    const unsigned long routine = PEEK32(routines + 4 * r);
    wrong += routine < top || routine >= 0xFF8000;
  }
  check("sixteen routines outside the program", wrong, 0);
  ((void (*)(void))PEEK32(routines + 4 * 7))();
  print("OK a routine called directly returns\n");
}

static void the_other_calls(void) {
  int changed = 0;
  for (long call = 1; call < 16; ++call) {
    const long mask = linea_changes(call);
    if (mask != 0) {
      ++changed;
      print("call ");
      print_dec(call);
      print(" changed ");
      print_hex((unsigned long)mask, 4);
      newline();
    }
  }
  check("$A001 to $A00F change no register and no flag", changed, 0);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  init();
  the_other_calls();
  check("$A000 in supervisor mode", Supexec(supervisor_init), D0_A0_A1_A2);
  check("$A00A in supervisor mode", Supexec(supervisor_hide_mouse), 0);
  return check_failures();
}
