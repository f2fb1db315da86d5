/* The name-taking file calls (Fopen, Fcreate, Fattrib, Fdelete, Frename),
   Fdatime, writes through a handle opened for reading, and the
   standard-handle redirection of Fdup and Fforce, on host files the test
   places beforehand (see the FileOperations case):
     lower.txt "lower case\n"   MiXeD.Dat "mixed\n"   gone.txt   old.txt
     case.txt  input.txt "from a file\n"   Sub/Deep/item.txt "deep item\n" */
#include "rt.h"

#define E_FILNF (-33)
#define E_PTHNF (-34)
#define E_ACCDN (-36)
#define E_IHNDL (-37)
#define IS_HANDLE 1000 /* any file handle, 16 to 31 */

static char buffer[64];

/* Opens `name`, reads its first bytes into buffer (NUL-terminated), closes
   it; answers what Fopen answered. */
static long open_and_read(const char* name) {
  long h = Fopen(name, 0);
  memset(buffer, 0, sizeof buffer);
  if (h < 16) return h;
  Fread((unsigned short)h, sizeof buffer - 1, buffer);
  Fclose((unsigned short)h);
  return IS_HANDLE;
}

static void check_open(const char* what, long got, long want) {
  check(what, got >= 16 && got < 32 ? IS_HANDLE : got, want);
}

/* GEMDOS names are case-insensitive: a name not on the host as written is
   looked up folder by folder without regard to case. */
static void case_insensitive_names(void) {
  static const struct {
    const char* name;
    long want;
    const char* content; /* what the file found starts with */
  } rows[] = {
      {"lower.txt", IS_HANDLE, "lower case\n"},
      {"LOWER.TXT", IS_HANDLE, "lower case\n"},
      {"C:LoWeR.tXt", IS_HANDLE, "lower case\n"},
      {"C:mixed.dat", IS_HANDLE, "mixed\n"},
      {"SUB\\DEEP\\ITEM.TXT", IS_HANDLE, "deep item\n"},
      {"sub\\deep\\Item.Txt", IS_HANDLE, "deep item\n"},
      {"SUB\\..\\sub\\DEEP\\.\\ITEM.TXT", IS_HANDLE, "deep item\n"},
      {"SUB\\NOSUCH.TXT", E_FILNF, ""},
      {"NOSUCH\\ITEM.TXT", E_PTHNF, ""},
      {"LOWER.TXT\\ITEM.TXT", E_PTHNF, ""},
      {"SUB", E_FILNF, ""},
  };
  for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    check(rows[i].name, open_and_read(rows[i].name), rows[i].want);
    check_true("  read the right file", strcmp(buffer, rows[i].content) == 0);
  }
  /* A new file gets the name as given; an existing one in another case is
     the file that is truncated. */
  long h = Fcreate("sub\\DEEP\\Made.Txt", 0);
  check_open("Fcreate in folders found in another case", h, IS_HANDLE);
  Fwrite((unsigned short)h, 5, "made\n");
  Fclose((unsigned short)h);
  h = Fcreate("MIXED.DAT", 0);
  check_open("Fcreate on a file that exists in another case", h, IS_HANDLE);
  Fclose((unsigned short)h);
  check("Fcreate in a missing folder", Fcreate("NOSUCH\\NEW.TXT", 0), E_PTHNF);
  check("Fcreate on a folder", Fcreate("SUB", 0), E_ACCDN);
}

static void attributes(void) {
  long h = Fcreate("LOCKED.TXT", 0x01);
  check_open("Fcreate read-only", h, IS_HANDLE);
  check("its handle still writes", Fwrite((unsigned short)h, 7, "locked\n"), 7);
  Fclose((unsigned short)h);

  static const struct {
    const char* name;
    unsigned short set, attributes;
    long want;
  } rows[] = {
      {"LOWER.TXT", 0, 0, 0},
      {"sub", 0, 0, 0x10},
      {"Sub\\Deep", 0, 0, 0x10},
      {"locked.txt", 0, 0, 0x01},
      {"MISSING.TXT", 0, 0, E_FILNF},
      {"NOSUCH\\X.TXT", 0, 0, E_PTHNF},
      {"MISSING.TXT", 1, 0x01, E_FILNF},
      {"LOWER.TXT", 1, 0x01, 0x01}, /* read-only now */
      {"LOWER.TXT", 0, 0, 0x01},
      {"LOWER.TXT", 1, 0x00, 0x00}, /* and writable again */
      {"LOWER.TXT", 1, 0x22, 0x00}, /* hidden and archive are not kept */
      {"SUB", 1, 0x01, 0x10},       /* folders stay as they are */
  };
  for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    char what[48] = "Fattrib ";
    memcpy(what + 8, rows[i].name, strlen(rows[i].name) + 1);
    check(what, Fattrib(rows[i].name, rows[i].set, rows[i].attributes), rows[i].want);
  }

  check("Fopen mode 1 on a read-only file", Fopen("LOCKED.TXT", 1), E_ACCDN);
  check("Fopen mode 2 on a read-only file", Fopen("LOCKED.TXT", 2), E_ACCDN);
  check("Fcreate over a read-only file", Fcreate("LOCKED.TXT", 0), E_ACCDN);
  check("Fdelete of a read-only file", Fdelete("LOCKED.TXT"), E_ACCDN);
  h = Fopen("LOCKED.TXT", 0);
  check_open("Fopen mode 0 on a read-only file", h, IS_HANDLE);
  check("no write through it", Fwrite((unsigned short)h, 3, "abc"), E_ACCDN);
  check("it reads", Fread((unsigned short)h, 6, buffer), 6);
  Fclose((unsigned short)h);
}

/* The original OS did not refuse writes through a handle opened with mode 0. */
static void write_through_mode_0(void) {
  long h = Fopen("lower.txt", 0);
  check_open("Fopen mode 0", h, IS_HANDLE);
  check("Fwrite through it", Fwrite((unsigned short)h, 5, "UPPER"), 5);
  check("Fseek back", Fseek(0, (unsigned short)h, 0), 0);
  check("Fread what was written", Fread((unsigned short)h, 11, buffer), 11);
  check_true("the file holds it", memcmp(buffer, "UPPER case\n", 11) == 0);
  Fclose((unsigned short)h);
}

static void delete_and_rename(void) {
  static const struct {
    const char* what;
    const char *from, *to; /* to is 0 for Fdelete */
    long want;
  } rows[] = {
      {"Fdelete", "GONE.TXT", 0, 0},
      {"Fdelete again", "gone.txt", 0, E_FILNF},
      {"Fdelete of a folder", "SUB", 0, E_ACCDN},
      {"Fdelete in a missing folder", "NOSUCH\\X.TXT", 0, E_PTHNF},
      {"Frename into a folder", "OLD.TXT", "sub\\Renamed.Txt", 0},
      {"Frename of a missing file", "OLD.TXT", "NEW.TXT", E_FILNF},
      {"Frename onto an existing file", "SUB\\RENAMED.TXT", "LOWER.TXT", E_ACCDN},
      {"Frename into a missing folder", "SUB\\RENAMED.TXT", "NOSUCH\\X.TXT", E_PTHNF},
      {"Frename to another case", "case.txt", "CASE.TXT", 0},
  };
  for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const long got = rows[i].to ? Frename(rows[i].from, rows[i].to) : Fdelete(rows[i].from);
    check(rows[i].what, got, rows[i].want);
  }
  check("the renamed file opens", open_and_read("SUB\\RENAMED.TXT"), IS_HANDLE);
}

static void file_times(void) {
  /* 1999-12-31 23:59:58 */
  unsigned short set[2] = {(23 << 11) | (59 << 5) | 29, (19 << 9) | (12 << 5) | 31};
  unsigned short got[2] = {0, 0};
  long h = Fcreate("STAMP.TXT", 0);
  Fwrite((unsigned short)h, 6, "stamp\n");
  check("Fdatime set", Fdatime(set, (unsigned short)h, 1), 0);
  Fclose((unsigned short)h);
  h = Fopen("STAMP.TXT", 0);
  check("Fdatime get", Fdatime(got, (unsigned short)h, 0), 0);
  check("  time", got[0], set[0]);
  check("  date", got[1], set[1]);
  Fclose((unsigned short)h);
  check("Fdatime of a handle not open", Fdatime(got, (unsigned short)h, 0), E_IHNDL);
}

static void redirection(void) {
  check("Fdup(6)", Fdup(6), E_IHNDL);
  check("Fforce(6, ...)", Fforce(6, 16), E_IHNDL);
  check("Fforce to a handle not open", Fforce(1, 30), E_IHNDL);

  long out = Fcreate("REDIR.TXT", 0);
  long console = Fdup(1);
  check_open("Fdup(1) of the console", console, IS_HANDLE);
  check("Fforce(1, file)", Fforce(1, (unsigned short)out), 0);
  check("Fwrite(1) goes to the file", Fwrite(1, 10, "into file\n"), 10);
  check("Fclose of the file's own handle", Fclose((unsigned short)out), 0);
  check("handle 1 still writes to it", Fwrite(1, 5, "more\n"), 5);
  check("Fforce(1) back to the console", Fforce(1, (unsigned short)console), 0);
  Fwrite(1, 20, "back on the console\n");
  Fwrite((unsigned short)console, 19, "through the Fdup'd\n");
  check("Fclose of the Fdup'd handle", Fclose((unsigned short)console), 0);

  long in = Fopen("INPUT.TXT", 0);
  check("Fforce(0, file)", Fforce(0, (unsigned short)in), 0);
  memset(buffer, 0, sizeof buffer);
  check("Fread(0) reads the file", Fread(0, 4, buffer), 4);
  long copy = Fdup(0);
  check_open("Fdup(0) of the file", copy, IS_HANDLE);
  check("the copy reads on from there", Fread((unsigned short)copy, 7, buffer + 4), 7);
  check_true("both read the file in turn", strcmp(buffer, "from a file") == 0);
  check("Fclose(0) gives it back", Fclose(0), 0);
  check("Fclose(0) of the console is a no-op", Fclose(0), 0);
  Fclose((unsigned short)copy);
  Fclose((unsigned short)in);
  check("all handles free again", Fopen("INPUT.TXT", 0), 16);
  Fclose(16);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  print("file operations\n");
  case_insensitive_names();
  attributes();
  write_through_mode_0();
  delete_and_rename();
  file_times();
  redirection();
  return check_failures();
}
