/* The console calls, one part per first parameter; each call is followed by
   the D0 it got, in hexadecimal. The input parts read the standard input
   their test case gives.
     out    character output calls, BIOS devices, Fwrite's count, status
     in     keys and lines: translation, echo, Fread from handle 0, the end
     rs     the Cconrs buffer byte by byte
     eof    keeps waiting for a key after the input has ended
     probe  the later-OS probes and the version
     trap2  the old terminate call through the AES/VDI trap */
#include "rt.h"
#include "tos_block.h"

static long Cconout(unsigned short c) { GEMDOS(0x02, c); }
static long Cauxout(unsigned short c) { GEMDOS(0x04, c); }
static long Cprnout(unsigned short c) { GEMDOS(0x05, c); }
static long Crawio(unsigned short c) { GEMDOS(0x06, c); }
static long Cconrs(unsigned char* buffer) { GEMDOS(0x0A, HI(buffer), LO(buffer)); }
static long Pdomain(unsigned short domain) { GEMDOS(0x119, domain); }
static long Ssystem(unsigned short mode) { GEMDOS(0x154, mode, 0, 0, 0, 0); }
static long Bconstat(unsigned short device) { BIOS(0x01, device); }
static long Bconin(unsigned short device) { BIOS(0x02, device); }
static long Bconout(unsigned short device, unsigned short c) { BIOS(0x03, device, c); }
static long Bcostat(unsigned short device) { BIOS(0x08, device); }

static void show(const char* what, long d0) {
  print(what);
  print("=");
  print_hex((unsigned long)d0, 8);
  newline();
}

static void show_bytes(const unsigned char* p, int n) {
  for (int i = 0; i < n; ++i) {
    print(" ");
    print_hex(p[i], 2);
  }
  newline();
}

static void output_calls(void) {
  Cconout('A');
  Cauxout('B');
  show("\nCprnout", Cprnout('C'));
  Crawio('D');
  Crawio(0x145); /* only the low byte is the character */
  newline();
  /* The console, printer, auxiliary and raw console devices print; MIDI
     (3) and the keyboard processor (4) do not. */
  for (unsigned short device = 0; device <= 6; ++device) Bconout(device, 'a' + device);
  newline();
  show("Fwrite(1, 7)", Fwrite(1, 7, "Fwrite\n"));
  show("Fwrite(2, 3)", Fwrite(2, 3, "to\n"));
  show("Fwrite(1, 0)", Fwrite(1, 0, "x"));
  show("Fwrite(1, -1)", Fwrite(1, -1, "x"));
  show("Cconos", gemdos_call(0x10));
  show("Cprnos", gemdos_call(0x11));
  show("Cauxos", gemdos_call(0x13));
  for (unsigned short device = 0; device <= 5; ++device) show("Bcostat", Bcostat(device));
}

/* The case's input: "y\nq\r\nhello world\n12345678\nrest\nBraw\r\nbytes\n". */
static void input_calls(void) {
  unsigned char line[32];
  print("prompt> ");
  show("Cconis", gemdos_call(0x0B));
  show("Cconin", gemdos_call(0x01));
  show("Cconin", gemdos_call(0x01));
  show("Crawcin", gemdos_call(0x07));
  show("Cnecin", gemdos_call(0x08));
  show("Crawio(ff)", Crawio(0xFF));
  line[0] = 20;
  show("Cconrs(20)", Cconrs(line));
  show_bytes(line, 2 + line[1]);
  line[0] = 8;
  show("Cconrs(8)", Cconrs(line));
  show_bytes(line, 2 + line[1]);
  line[0] = 20;
  show("Cconrs(20)", Cconrs(line));
  show_bytes(line, 2 + line[1]);
  show("Bconstat(1)", Bconstat(1));
  show("Bconstat(2)", Bconstat(2));
  show("Bconin(2)", Bconin(2));
  show("Fread(0, 30)", Fread(0, 30, line));
  show_bytes(line, 11);
  print("at the end:\n");
  show("Cconis", gemdos_call(0x0B));
  show("Crawio(ff)", Crawio(0xFF));
  show("Bconstat(2)", Bconstat(2));
  show("Cnecin", gemdos_call(0x08));
  show("Bconin(2)", Bconin(2));
  show("Bconin(1)", Bconin(1));
  show("Fread(0, 30)", Fread(0, 30, line));
  line[0] = 20;
  line[1] = 0xEE;
  show("Cconrs(20)", Cconrs(line));
  show_bytes(line, 2);
}

/* The case's input: "abc\nexact\ntail", no line end after the last. */
static void cconrs_buffer(void) {
  unsigned char line[12];
  const unsigned char max[] = {5, 0, 5, 10, 10};
  for (unsigned i = 0; i < sizeof max; ++i) {
    memset(line, 0xEE, sizeof line);
    line[0] = max[i];
    show("\nCconrs", Cconrs(line));
    show_bytes(line, sizeof line);
  }
}

static void wait_after_end(void) {
  for (int i = 1; i <= 100; ++i) {
    print_dec(i);
    show(" Cnecin", gemdos_call(0x08));
  }
  print("not reached\n");
}

static void probes(void) {
  show("Pdomain(1)", Pdomain(1));
  show("Ssystem(-1)", Ssystem(0xFFFF));
  show("Sversion", gemdos_call(0x30));
  show("Tickcal", bios_call(0x06));
}

static void aes_vdi(unsigned long d0) {
  register unsigned long value __asm__("d0") = d0;
  __asm__ volatile("trap #2" : "+d"(value) : : "memory");
}

static void old_terminate(void) {
  print("D0.W=1 is an AES/VDI call:\n");
  aes_vdi(1);
  print("D0.W=0 ends the program:\n");
  aes_vdi(0xABCD0000);
  print("not reached\n");
}

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const char* part = argv[1];
  if (strcmp(part, "out") == 0) output_calls();
  if (strcmp(part, "in") == 0) input_calls();
  if (strcmp(part, "rs") == 0) cconrs_buffer();
  if (strcmp(part, "eof") == 0) wait_after_end();
  if (strcmp(part, "probe") == 0) probes();
  if (strcmp(part, "trap2") == 0) old_terminate();
  return 0;
}
