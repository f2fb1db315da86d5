/* The character devices as handles: -1 CON:, -2 AUX:, -3 PRN: without an
   open, the same handles from Fopen/Fcreate of the device names, and the
   standard handles 0 to 5 as devices while they are one. Standard input
   holds "abcdefgh" (see the DeviceHandles case); what goes to a device
   appears in the output between the checks. */
#include "rt.h"

#define CON 0xFFFF
#define AUX 0xFFFE
#define PRN 0xFFFD
#define E_FILNF (-33)
#define E_IHNDL (-37)

static char buffer[32];

static void writes(void) {
  check("Fwrite(-1) answers the count", Fwrite(CON, 8, "to CON:\n"), 8);
  check("Fwrite(-2) answers the count", Fwrite(AUX, 8, "to AUX:\n"), 8);
  check("Fwrite(-3) answers the count", Fwrite(PRN, 8, "to PRN:\n"), 8);
  check("Fwrite(4), a standard handle", Fwrite(4, 7, "to 4: \n"), 7);
  check("Fwrite(-4) is no device", Fwrite(0xFFFC, 3, "no\n"), E_IHNDL);
}

static void opens(void) {
  static const struct {
    const char* name;
    unsigned short mode; /* 9: Fcreate */
    long want;
  } rows[] = {
      {"CON:", 0, -1},          {"aux:", 1, -2},     {"Prn:", 2, -3},
      {"A:CON:", 0, -1},        {"C:prn:", 9, -3},   {"AUX:", 9, -2},
      {"CON:", 3, E_FILNF},     {"CON", 0, E_FILNF}, /* without its colon it is a file name */
      {"C:\\CON:", 0, E_FILNF},                      /* in a folder it is a file name too */
  };
  for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    char what[32] = "open ";
    memcpy(what + 5, rows[i].name, strlen(rows[i].name) + 1);
    const long got =
        rows[i].mode == 9 ? Fcreate(rows[i].name, 0) : Fopen(rows[i].name, rows[i].mode);
    check(what, got, rows[i].want);
  }
  const long con = Fopen("con:", 0);
  check("Fwrite through the opened CON:", Fwrite((unsigned short)con, 9, "opened!\r\n"), 9);
  check("Fclose(-1)", Fclose(CON), 0);
  check("Fclose(-2)", Fclose(AUX), 0);
  check("Fclose(-3)", Fclose(PRN), 0);
  check("CON: still writes after its Fclose", Fwrite(CON, 6, "still\n"), 6);
  check("a file opens as handle 16 after all that", Fcreate("FILE.TXT", 0), 16);
}

/* The question C runtimes ask: is this handle a terminal? Seeking one byte
   on answers 0 only on a device, and Fdatime fails on one. */
static long terminal_probe(unsigned short h) {
  const long here = Fseek(0, h, 1);
  const long on = Fseek(1, h, 1);
  Fseek(here, h, 0);
  unsigned short stamp[2];
  const long datime = Fdatime(stamp, h, 0);
  if (here == 0 && on == 0 && datime == E_IHNDL) return 1; /* a device */
  if (on == here + 1 && datime == 0) return 0;             /* a file */
  return -1;
}

static void probes(void) {
  static const struct {
    const char* what;
    unsigned short handle;
  } devices[] = {{"0", 0}, {"1", 1},    {"2", 2},    {"3", 3},   {"4", 4},
                 {"5", 5}, {"-1", CON}, {"-2", AUX}, {"-3", PRN}};
  for (unsigned i = 0; i < sizeof devices / sizeof devices[0]; ++i) {
    char what[40] = "handle ";
    memcpy(what + 7, devices[i].what, strlen(devices[i].what) + 1);
    memcpy(what + strlen(what), " is a device", 13);
    check(what, terminal_probe(devices[i].handle), 1);
  }
  check("Fseek(100, -1, 0) answers 0 too", Fseek(100, CON, 0), 0);
  check("Fdatime sets nothing on a device", Fdatime((unsigned short*)buffer, 1, 1), E_IHNDL);
  Fwrite(16, 10, "0123456789");
  Fseek(4, 16, 0);
  check("handle 16 (a file) is no device", terminal_probe(16), 0);
  check("Fseek(6) is no handle", Fseek(0, 6, 1), E_IHNDL);
}

static void reads(void) {
  memset(buffer, 0, sizeof buffer);
  check("Fread(-1) reads standard input", Fread(CON, 4, buffer), 4);
  check("Fread(3), a standard handle, reads on", Fread(3, 2, buffer + 4), 2);
  check_true("  in order", strcmp(buffer, "abcdef") == 0);
  check("Fread(-2): AUX: has no input", Fread(AUX, 4, buffer), 0);
  check("Fread(-3): PRN: has none either", Fread(PRN, 4, buffer), 0);
  check("the console's input is still there", Fread(0, 4, buffer), 2);
  check_true("  the rest", memcmp(buffer, "gh", 2) == 0);
}

static void redirection(void) {
  const long dup = Fdup(CON);
  check_true("Fdup(-1) is a new handle", dup >= 16 && dup < 32);
  check("which writes to the console", Fwrite((unsigned short)dup, 6, "dup'd\n"), 6);
  check("and is a device", terminal_probe((unsigned short)dup), 1);
  check("Fclose of it", Fclose((unsigned short)dup), 0);

  check("Fforce(1, -2)", Fforce(1, AUX), 0);
  check("handle 1 is AUX: now", Fwrite(1, 9, "via AUX:\n"), 9);
  check("  without input", Fread(1, 4, buffer), 0);
  check("Fforce(1, 16), the file", Fforce(1, 16), 0);
  check("handle 1 is no device then", terminal_probe(1), 0);
  check("Fforce(1, -1) gives the console back", Fforce(1, CON), 0);
  check("handle 1 is a device again", terminal_probe(1), 1);
  check("Fforce(-1, 16): a device is no standard handle", Fforce(CON, 16), E_IHNDL);
  check("Fforce(0, -3)", Fforce(0, PRN), 0);
  check("handle 0 reads PRN: now", Fread(0, 4, buffer), 0);
  check("Fclose(0) gives it back", Fclose(0), 0);
  check("Fclose(1) of the console", Fclose(1), 0);
  check("handle 1 still prints", Fwrite(1, 6, "still\n"), 6);
  check("Fclose(16)", Fclose(16), 0);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  print("device handles\n");
  writes();
  opens();
  probes();
  reads();
  redirection();
  return check_failures();
}
