/* Drive and folder calls and the Fsfirst/Fsnext searches, on host folders
   the test places beforehand (see the FoldersAndSearches case):
     scan/alpha.txt "alpha\n"  scan/BETA.TXT "beta\n"  scan/gamma.c  scan/noext
     scan/toolongname.txt  scan/.hidden  scan/two.dots.txt  scan/sub/
     del/a.txt  del/b.txt  del/c.txt
   and scan/RO.TXT, which it creates read-only. */
#include "rt.h"

#define E_FILNF (-33)
#define E_PTHNF (-34)
#define E_ACCDN (-36)
#define E_DRIVE (-46)
#define E_NMFIL (-49)

static unsigned char dta[44], dta2[44];
static char listing[200];

static unsigned long dta_long(const unsigned char* d, int at) {
  return ((unsigned long)d[at] << 24) | ((unsigned long)d[at + 1] << 16) |
         ((unsigned long)d[at + 2] << 8) | d[at + 3];
}
static unsigned dta_word(const unsigned char* d, int at) {
  return ((unsigned)d[at] << 8) | d[at + 1];
}

static char* append(char* at, const char* text) {
  while (*text) *at++ = *text++;
  *at = 0;
  return at;
}

/* Every answer of one search as "NAME NAME:attr ..." (the attribute in hex
   when it is not 0); answers Fsfirst's result, and what ended the search
   in *end. */
static long list(const char* pattern, unsigned short attributes, long* end) {
  char* at = listing;
  *at = 0;
  Fsetdta(dta);
  long r = Fsfirst(pattern, attributes);
  *end = r;
  if (r != 0) return r;
  while (r == 0) {
    if (at != listing) at = append(at, " ");
    at = append(at, (const char*)dta + 30);
    if (dta[21] != 0) {
      at = append(at, ":");
      at = format_hex(at, dta[21], 2);
    }
    r = Fsnext();
  }
  *end = r;
  return 0;
}

static void searches(void) {
  long h = Fcreate("SCAN\\RO.TXT", 0x01);
  Fclose((unsigned short)h);
  /* Host names in byte order; names with no 8.3 form are not shown. */
  static const struct {
    const char* pattern;
    unsigned short attributes;
    long want;
    const char* names;
  } rows[] = {
      {"SCAN\\*.*", 0, 0, "BETA.TXT RO.TXT:01 ALPHA.TXT GAMMA.C NOEXT"},
      {"scan\\*.*", 0x10, 0, "BETA.TXT RO.TXT:01 ALPHA.TXT GAMMA.C NOEXT SUB:10"},
      {"C:SCAN\\*.*", 0x06, 0, "BETA.TXT RO.TXT:01 ALPHA.TXT GAMMA.C NOEXT"},
      {"SCAN\\*", 0, 0, "NOEXT"},
      {"SCAN\\*", 0x10, 0, "NOEXT SUB:10"},
      {"SCAN\\?????.TXT", 0, 0, "BETA.TXT RO.TXT:01 ALPHA.TXT"},
      {"SCAN\\????.*", 0, 0, "BETA.TXT RO.TXT:01"},
      {"SCAN\\*.C", 0, 0, "GAMMA.C"},
      {"Scan\\a*.t?t", 0, 0, "ALPHA.TXT"},
      {"scan\\beta.txt", 0, 0, "BETA.TXT"},
      {"SCAN\\SUB", 0, E_FILNF, ""},
      {"SCAN\\SUB", 0x10, 0, "SUB:10"},
      {"SCAN\\*.XYZ", 0, E_FILNF, ""},
      {"SCAN\\*.*", 0x08, E_FILNF, ""},
      {"NOSUCH\\*.*", 0, E_PTHNF, ""},
      {"SCAN\\BETA.TXT\\*.*", 0, E_PTHNF, ""},
  };
  for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    long end;
    check(rows[i].pattern, list(rows[i].pattern, rows[i].attributes, &end), rows[i].want);
    if (rows[i].want == 0) check("  ends with no more files", end, E_NMFIL);
    const int same = strcmp(listing, rows[i].names) == 0;
    check_true("  the names", same);
    if (!same) {
      print("    got: ");
      print(listing);
      newline();
    }
  }
  check("Fsnext after the end", Fsnext(), E_NMFIL);
}

static void dta_layout(void) {
  Fsetdta(dta);
  check("Fsfirst BETA.TXT", Fsfirst("SCAN\\BETA.TXT", 0), 0);
  check("attribute at 21", dta[21], 0);
  check("size at 26", (long)dta_long(dta, 26), 5);
  check_true("name at 30, NUL-terminated", memcmp(dta + 30, "BETA.TXT", 9) == 0);
  unsigned short stamp[2];
  long h = Fopen("SCAN\\BETA.TXT", 0);
  Fdatime(stamp, (unsigned short)h, 0);
  Fclose((unsigned short)h);
  check("time at 22 is the file's", dta_word(dta, 22), stamp[0]);
  check("date at 24 is the file's", dta_word(dta, 24), stamp[1]);
  check("Fsfirst SUB", Fsfirst("SCAN\\SUB", 0x10), 0);
  check("  attribute", dta[21], 0x10);
  check("  size", (long)dta_long(dta, 26), 0);
}

static void interleaved_and_deleting(void) {
  Fsetdta(dta);
  check("first search", Fsfirst("SCAN\\*.TXT", 0), 0);
  Fsetdta(dta2);
  check("second search", Fsfirst("SCAN\\*.C", 0), 0);
  Fsetdta(dta);
  check("first goes on", Fsnext(), 0);
  check_true("  to RO.TXT", strcmp((char*)dta + 30, "RO.TXT") == 0);
  Fsetdta(dta2);
  check("second has no more", Fsnext(), E_NMFIL);
  Fsetdta(dta);
  check("first goes on again", Fsnext(), 0);
  check_true("  to ALPHA.TXT", strcmp((char*)dta + 30, "ALPHA.TXT") == 0);
  check("a search copied to another DTA", Fsfirst("SCAN\\*.TXT", 0), 0);
  memcpy(dta2, dta, sizeof dta);
  Fsetdta(dta2);
  check("goes on from the copy", Fsnext(), 0);
  check_true("  to RO.TXT, in the copy", strcmp((char*)dta2 + 30, "RO.TXT") == 0);
  static unsigned char fresh[44];
  Fsetdta(fresh);
  check("Fsnext on a DTA no search used", Fsnext(), E_NMFIL);

  /* Deleting each file found does not disturb the search. */
  int deleted = 0;
  Fsetdta(dta);
  for (long r = Fsfirst("DEL\\*.*", 0); r == 0; r = Fsnext()) {
    char name[20] = "DEL\\";
    append(name + 4, (const char*)dta + 30);
    deleted += Fdelete(name) == 0;
  }
  check("deleted every file found", deleted, 3);
}

static void drives(void) {
  check("Dsetdrv(2) answers the drive bitmap", Dsetdrv(2), 0x04);
  check("Dsetdrv(0) too", Dsetdrv(0), 0x04);
  check("Dgetdrv after Dsetdrv", Dgetdrv(), 2);
  long info[4];
  check("Dfree(0)", Dfree(info, 0), 0);
  check("  bytes per sector", info[2], 512);
  check("  sectors per cluster", info[3], 2);
  check_true("  free clusters within the total", info[0] >= 0 && info[0] <= info[1]);
  check_true("  bytes fit a long", info[1] > 0 && info[1] <= 0x7FFFFFFF / 1024);
  check("Dfree(3) for drive C", Dfree(info, 3), 0);
  check("Dfree(1) refuses drive A", Dfree(info, 1), E_DRIVE);
}

static void folders(void) {
  static const struct {
    const char* what;
    const char* path;
    int remove;
    long want;
  } rows[] = {
      {"Dcreate", "NEWDIR", 0, 0},
      {"Dcreate of an existing folder", "newdir", 0, E_ACCDN},
      {"Dcreate in a folder found in another case", "NewDir\\Inner", 0, 0},
      {"Dcreate in a missing folder", "NOSUCH\\X", 0, E_PTHNF},
      {"Dcreate over a file", "SCAN\\BETA.TXT", 0, E_ACCDN},
      {"Dcreate below a file", "SCAN\\BETA.TXT\\X", 0, E_PTHNF},
      {"Ddelete of a folder that is not empty", "NEWDIR", 1, E_ACCDN},
      {"Ddelete", "newdir\\INNER", 1, 0},
      {"Ddelete again", "NEWDIR\\INNER", 1, E_PTHNF},
      {"Ddelete of a file", "SCAN\\BETA.TXT", 1, E_PTHNF},
      {"Ddelete of a missing folder", "NOSUCH", 1, E_PTHNF},
  };
  for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i)
    check(rows[i].what, rows[i].remove ? Ddelete(rows[i].path) : Dcreate(rows[i].path),
          rows[i].want);
}

static void current_folder(void) {
  char start[256], now[256];
  check("Dgetpath", Dgetpath(start, 0), 0);
  check("Dsetpath into a folder in another case", Dsetpath("newdir"), 0);
  Dgetpath(now, 0);
  char want[256];
  append(append(want, start), "\\NEWDIR");
  check_true("Dgetpath names it", strcmp(now, want) == 0);
  long h = Fcreate("HERE.TXT", 0);
  check("relative names start there", Fwrite((unsigned short)h, 5, "here\n"), 5);
  Fclose((unsigned short)h);
  check("Ddelete of the current folder", Ddelete("..\\NEWDIR"), E_ACCDN);
  check("Dsetpath(\"..\")", Dsetpath(".."), 0);
  Dgetpath(now, 0);
  check_true("back where it started", strcmp(now, start) == 0);
  check("Dsetpath to a missing folder", Dsetpath("NOSUCH"), E_PTHNF);
  check("Dsetpath to a file", Dsetpath("SCAN\\BETA.TXT"), E_PTHNF);
  check("Dsetpath(\"\")", Dsetpath(""), 0);
  check("Dsetpath(\"SCAN\\SUB\")", Dsetpath("SCAN\\SUB"), 0);
  check("Dsetpath to what Dgetpath answered", Dsetpath(start), 0);
  Dgetpath(now, 0);
  check_true("Dgetpath's answer names the folder again", strcmp(now, start) == 0);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  print("folders and searches\n");
  check("the default DTA is in the basepage", Fgetdta(), (long)(_base + 0x80));
  drives();
  searches();
  dta_layout();
  interleaved_and_deleting();
  folders();
  current_folder();
  return check_failures();
}
