/* Every GEMDOS file call and its error codes, on real host files in the
   scratch directory the test runs in. The first parameter is a file name
   with a space in it, which arrives here with the space as 0x1A. */
#include "rt.h"

#define E_FILNF (-33)
#define E_NHNDL (-35)
#define E_IHNDL (-37)
#define E_DRIVE (-46)

static unsigned char pattern[1000];
static unsigned char buffer[1400];

static void fill_pattern(void) {
  for (int i = 0; i < 1000; ++i) pattern[i] = (unsigned char)(i * 7 + 3);
}

static int same(const void* a, const void* b, size_t n) {
  return memcmp(a, b, n) == 0;
}

static void directory_calls(void) {
  check("Dgetdrv is drive C", Dgetdrv(), 2);
  char path[256];
  memset(path, 'x', sizeof path);
  check("Dgetpath(0)", Dgetpath(path, 0), 0);
  print("current directory: ");
  print(path);
  newline();
  check("Dgetpath(3) for drive C", Dgetpath(path, 3), 0);
  check("Dgetpath(1) refuses drive B", Dgetpath(path, 1), E_DRIVE);
}

static void create_and_read_back(void) {
  check("Fcreate gives the first handle", Fcreate("test.dat", 0), 16);
  check("Fwrite to a file answers the count", Fwrite(16, 1000, pattern), 1000);
  check("Fclose", Fclose(16), 0);
  check("Fclose again", Fclose(16), E_IHNDL);

  check("Fopen mode 0", Fopen("test.dat", 0), 16);
  check("Fread past the end answers what was there", Fread(16, 1300, buffer), 1000);
  check_true("read back what was written", same(buffer, pattern, 1000));
  check("Fread at the end answers 0", Fread(16, 10, buffer), 0);
  check("Fseek to the start", Fseek(0, 16, 0), 0);
  check("Fseek from the current position", Fseek(10, 16, 1), 10);
  check("Fseek from the end", Fseek(-100, 16, 2), 900);
  check("Fread after Fseek", Fread(16, 4, buffer), 4);
  check_true("bytes read after Fseek", same(buffer, pattern + 900, 4));
  check("Fseek(0, 1) tells the position", Fseek(0, 16, 1), 904);
  check("Fwrite through a mode 0 handle is served", Fwrite(16, 10, pattern), 10);
  memcpy(pattern + 904, pattern, 10); /* what the file holds now */
  check("Fread count 0", Fread(16, 0, buffer), 0);
  check("Fclose after reading", Fclose(16), 0);
}

static void open_modes(void) {
  /* Mode 1 opens an existing file for writing without truncating it. */
  check("Fopen mode 1 on an existing file", Fopen("test.dat", 1), 16);
  check("Fwrite through mode 1", Fwrite(16, 4, "ABCD"), 4);
  check("Fwrite count 0", Fwrite(16, 0, "ABCD"), 0);
  check("Fclose mode 1", Fclose(16), 0);
  check("Fopen mode 0 again", Fopen("test.dat", 0), 16);
  check("mode 1 kept the file's length", Fread(16, 1300, buffer), 1000);
  check_true("mode 1 wrote at the start", same(buffer, "ABCD", 4));
  check_true("mode 1 kept the rest", same(buffer + 4, pattern + 4, 996));
  Fclose(16);

  check("Fopen mode 0 on a missing file", Fopen("missing.dat", 0), E_FILNF);
  check("Fopen mode 1 on a missing file", Fopen("missing.dat", 1), E_FILNF);
  check("Fopen mode 2 on a missing file", Fopen("missing.dat", 2), E_FILNF);
  check("Fopen mode 3", Fopen("test.dat", 3), E_FILNF);

  check("Fopen mode 2", Fopen("test.dat", 2), 16);
  check("Fseek in mode 2", Fseek(500, 16, 0), 500);
  check("Fwrite through mode 2", Fwrite(16, 4, "WXYZ"), 4);
  check("Fseek back", Fseek(498, 16, 0), 498);
  check("Fread through mode 2", Fread(16, 8, buffer), 8);
  check_true("mode 2 read what it wrote", same(buffer, pattern + 498, 2) &&
                                              same(buffer + 2, "WXYZ", 4) &&
                                              same(buffer + 6, pattern + 504, 2));
  check("Fclose mode 2", Fclose(16), 0);
}

static void bad_handles(void) {
  check("Fclose(15)", Fclose(15), E_IHNDL);
  check("Fclose of a handle not open", Fclose(20), E_IHNDL);
  check("Fclose(32)", Fclose(32), E_IHNDL);
  check("Fread(0) at the end of the input", Fread(0, 10, buffer), 0);
  check("Fwrite(6)", Fwrite(6, 10, buffer), E_IHNDL);
  check("Fread of a handle not open", Fread(20, 10, buffer), E_IHNDL);
  check("Fwrite of a handle not open", Fwrite(20, 10, buffer), E_IHNDL);
  check("Fseek of a handle not open", Fseek(0, 20, 0), E_IHNDL);
  check("Fseek(6)", Fseek(0, 6, 0), E_IHNDL);
}

static void handle_exhaustion(void) {
  int in_order = 1;
  for (long h = 16; h < 32; ++h) in_order &= Fopen("test.dat", 0) == h;
  check_true("16 files open as handles 16 to 31", in_order);
  check("a 17th Fopen", Fopen("test.dat", 0), E_NHNDL);
  check("a 17th Fcreate", Fcreate("other.dat", 0), E_NHNDL);
  check("Fclose(20)", Fclose(20), 0);
  check("the freed handle is reused", Fopen("test.dat", 0), 20);
  int closed = 1;
  for (int h = 16; h < 32; ++h) closed &= Fclose((unsigned short)h) == 0;
  check_true("all 16 closed", closed);
}

static void write_text_file(const char* name, const char* text) {
  long h = Fcreate(name, 0);
  check_true("Fcreate", h >= 16);
  check("Fwrite", Fwrite((unsigned short)h, (long)strlen(text), text), (long)strlen(text));
  Fclose((unsigned short)h);
}

static void path_names(const char* name_from_command_line) {
  /* Drive prefix dropped, backslashes become slashes, 0x1A a space. */
  write_text_file("C:sub\\inner.txt", "in a subdirectory\n");
  write_text_file("two\x1Awords.txt", "a space in the name\n");
  write_text_file(name_from_command_line, "named on the command line\n");
  check("Fopen through a relative path", Fopen("sub\\..\\test.dat", 0), 16);
  Fclose(16);
}

static void console(void) {
  print("Fwrite(1) with a negative count: [");
  Fwrite(1, -1, "must not appear");
  print("]\n");
}

int main(int argc, char** argv) {
  print("file calls\n");
  fill_pattern();
  directory_calls();
  create_and_read_back();
  open_modes();
  bad_handles();
  handle_exhaustion();
  path_names(argc > 1 ? argv[1] : "unnamed.txt");
  console();
  return check_failures();
}
