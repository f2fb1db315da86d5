/* Runs pexec_child.tos (and bigchild.tos) with Pexec mode 0: the child's
   command line, exit code and output order, the files it writes, the memory
   and handles of the parent afterwards, a grandchild, the environment, the
   nesting limit, and the errors. With the parameter "fault" it runs a child
   that faults instead. */
#include "pexec_call.h"

static const char kChild[] = "pexec_child.tos";

static unsigned char data_pattern[64] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
static unsigned char bss_pattern[64];

static long run_child(const char* text, const void* env) {
  char tail[128];
  return Pexec(0, kChild, make_tail(tail, text), env);
}

static int pattern_intact(const unsigned char* block, unsigned n, unsigned seed) {
  for (unsigned i = 0; i < n; ++i)
    if (block[i] != (unsigned char)(i * seed + 1)) return 0;
  return 1;
}

static void write_file(const char* name, const void* data, long n) {
  long h = Fcreate(name, 0);
  Fwrite((unsigned short)h, n, data);
  Fclose((unsigned short)h);
}

static int child_that_faults(void) {
  long h = Fcreate("parent.txt", 0);
  static const char text[] = "written before the child faulted\n";
  Fwrite((unsigned short)h, sizeof text - 1, text);
  print("parent: running a child that faults\n");
  run_child("fault", 0);
  print("parent: still running after its child faulted\n");
  return 1;
}

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "fault") == 0) return child_that_faults();

  unsigned char* block = (unsigned char*)Malloc(256);
  for (unsigned i = 0; i < 256; ++i) block[i] = (unsigned char)(i * 3 + 1);
  for (unsigned i = 0; i < sizeof bss_pattern; ++i) bss_pattern[i] = (unsigned char)(i * 5 + 1);
  const long free_before = Malloc(-1);
  const long shared = Fcreate("shared.txt", 0);
  check("the parent's file", shared, 16);
  static const char before[] = "parent before\n", after[] = "parent after\n";
  Fwrite((unsigned short)shared, sizeof before - 1, before);

  print("parent: running the child\n");
  char text[64] = "check ";
  char* end = format_hex(text + 6, (unsigned long)_base, 6);
  *end++ = ' ';
  format_dec(end, shared);
  check("Pexec answers the child's code", run_child(text, 0), 5);
  print("parent: the child has ended\n");

  check("Malloc(-1) as before the child", Malloc(-1), free_before);
  check_true("the parent's block is intact", pattern_intact(block, 256, 3));
  check_true("the parent's BSS is intact", pattern_intact(bss_pattern, sizeof bss_pattern, 5));
  check("the parent's data is intact", data_pattern[9], 10);
  check("the parent's DTA is back", Fgetdta(), (long)(_base + 0x80));

  long opened = Fopen("child.txt", 0);
  check("the child's handle was freed when it ended", opened, 17);
  char buffer[64];
  long n = Fread((unsigned short)opened, sizeof buffer, buffer);
  check("the child's file is complete", n, 32);
  check_true("the child's file holds its text",
             n == 32 && memcmp(buffer, "written by the child, left open\n", 32) == 0);
  Fclose((unsigned short)opened);
  check("the parent's handle still writes", Fwrite((unsigned short)shared, sizeof after - 1, after),
        sizeof after - 1);
  check("the parent's handle still closes", Fclose((unsigned short)shared), 0);

  check("a child's code -1 comes back as -1", run_child("code -1", 0), -1);
  check("a child's code 0x7fff", run_child("code 32767", 0), 32767);
  check("a grandchild's code comes back through the child", run_child("grand", 0), 8);

  print("parent: the environment it passes\n");
  check("Pexec with an environment", run_child("env", "FOO=bar\0PATH=C:\\BIN\0"), 0);
  print("parent: its own environment\n");
  check("Pexec with the parent's environment", run_child("env", 0), 0);

  check("children in children, up to the limit", run_child("deep 1", 0), 16);

  char tail[128];
  make_tail(tail, "");
  check("a missing program file", Pexec(0, "missing.tos", tail, 0), -33);
  check("a folder is no program file", Pexec(0, "sub", tail, 0), -33);
  static const char not_a_program[] = "this is text, not a program\n";
  write_file("text.tos", not_a_program, sizeof not_a_program - 1);
  check("a text file is no program", Pexec(0, "text.tos", tail, 0), -66);
  /* The header of a real program, without the text it announces. */
  long h = Fopen(kChild, 0);
  unsigned char header[40];
  Fread((unsigned short)h, sizeof header, header);
  Fclose((unsigned short)h);
  write_file("cut.tos", header, sizeof header);
  check("a program file cut short", Pexec(0, "cut.tos", tail, 0), -66);
  check("a child that does not fit", Pexec(0, "bigchild.tos", tail, 0), -39);
  /* All but 4 KiB taken: too little for the child; shrinking the block to
     nothing gives the memory back for it. */
  void* most = (void*)Malloc(Malloc(-1) - 0x1000);
  check("a child that does not fit beside the parent's blocks", run_child("code 1", 0), -39);
  Mshrink(most, 0);
  check("the same child after Mshrink", run_child("code 1", 0), 1);
  check("Malloc(-1) after the failed loads", Malloc(-1), free_before);
  for (unsigned short mode = 1; mode < 8; ++mode) {
    if (mode >= 3 && mode <= 6) continue;
    char what[] = "Pexec mode ? is unknown";
    what[11] = (char)('0' + mode);
    check(what, Pexec(mode, kChild, tail, 0), -32);
  }
  return check_failures();
}
