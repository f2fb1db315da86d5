/* Searches with several attribute bits, and names with an empty extension
   ("HELLO." is HELLO), on host files the test places beforehand (see the
   SearchesAndEmptyExtensions case):
     LIST/A.TXT  LIST/B.DAT  LIST/NOEXT  LIST/FOLDER/ */
#include "rt.h"

#define E_FILNF (-33)
#define E_NMFIL (-49)

static unsigned char dta[44];
static char listing[160];

/* Every name one search answers, separated by spaces, folders marked "/". */
static long list(const char* pattern, unsigned short attributes) {
  char* at = listing;
  *at = 0;
  Fsetdta(dta);
  long r = Fsfirst(pattern, attributes);
  if (r != 0) return r;
  for (; r == 0; r = Fsnext()) {
    if (at != listing) *at++ = ' ';
    const char* name = (const char*)dta + 30;
    memcpy(at, name, strlen(name));
    at += strlen(name);
    if (dta[21] & 0x10) *at++ = '/';
    *at = 0;
  }
  return r == E_NMFIL ? 0 : r;
}

static void check_listing(const char* what, long got, long want, const char* names) {
  check(what, got, want);
  const int same = strcmp(listing, names) == 0;
  check_true("  the names", same);
  if (!same) {
    print("    got: ");
    print(listing);
    newline();
  }
}

/* Only 0x08 alone asks for the volume label (the host has none); with other
   bits it is one bit among them. */
static void attribute_combinations(void) {
  static const struct {
    const char* what;
    unsigned short attributes;
    long want;
    const char* names;
  } rows[] = {
      {"attributes 0xFFFF", 0xFFFF, 0, "A.TXT B.DAT FOLDER/ NOEXT"},
      {"attributes 0xFF", 0xFF, 0, "A.TXT B.DAT FOLDER/ NOEXT"},
      {"attributes 0xBF", 0xBF, 0, "A.TXT B.DAT FOLDER/ NOEXT"},
      {"attributes 0x18", 0x18, 0, "A.TXT B.DAT FOLDER/ NOEXT"},
      {"attributes 0x09", 0x09, 0, "A.TXT B.DAT NOEXT"},
      {"attributes 0x28", 0x28, 0, "A.TXT B.DAT NOEXT"},
      {"attributes 0x08 alone", 0x08, E_FILNF, ""},
  };
  for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i)
    check_listing(rows[i].what, list("LIST\\*.*", rows[i].attributes), rows[i].want, rows[i].names);
  check_listing("one name with 0xFFFF", list("LIST\\B.DAT", 0xFFFF), 0, "B.DAT");
}

static void empty_extensions(void) {
  long h = Fcreate("HELLO.", 0);
  check_true("Fcreate(\"HELLO.\")", h >= 16);
  Fwrite((unsigned short)h, 6, "hello\n");
  Fclose((unsigned short)h);
  h = Fopen("hello.", 0);
  check_true("Fopen(\"hello.\") finds it", h >= 16);
  Fclose((unsigned short)h);
  h = Fopen("HELLO", 0);
  check_true("Fopen(\"HELLO\") is the same file", h >= 16);
  char text[8] = {0};
  check("  which holds what was written", Fread((unsigned short)h, 7, text), 6);
  Fclose((unsigned short)h);
  check("Fattrib(\"HELLO.\")", Fattrib("HELLO.", 0, 0), 0);
  check_listing("Fsfirst(\"HELLO.\")", list("HELLO.", 0), 0, "HELLO");
  check_listing("Fsfirst(\"LIST\\*.\"): no extension", list("LIST\\*.", 0x10), 0, "FOLDER/ NOEXT");
  check_listing("Fsfirst(\"LIST\\NOEXT.\")", list("LIST\\NOEXT.", 0), 0, "NOEXT");
  check("Frename(\"HELLO.\", \"RENAMED.\")", Frename("HELLO.", "RENAMED."), 0);
  check("Dcreate(\"MADE.\")", Dcreate("MADE."), 0);
  h = Fcreate("MADE.\\INNER.", 0);
  check_true("Fcreate(\"MADE.\\INNER.\")", h >= 16);
  Fclose((unsigned short)h);
  h = Fcreate("MADE\\GONE.", 0);
  Fclose((unsigned short)h);
  check("Fdelete(\"made\\gone.\")", Fdelete("made\\gone."), 0);
  h = Fopen("LIST\\.\\..\\LIST\\A.TXT", 0);
  check_true("\".\" and \"..\" keep their dots", h >= 16);
  Fclose((unsigned short)h);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  print("searches and names\n");
  attribute_combinations();
  empty_extensions();
  return check_failures();
}
