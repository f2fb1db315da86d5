/* Long parameter lists by the ARGV convention. The guest shows what it got:
   the command line (length byte 127 and the first 125 characters when the
   list is long), where its environment lies, and the environment's strings:
   "ARGV=", its own name (the last part: the folders depend on where the
   program lies) and the arguments. Long arguments show by their length and
   ends; a list of more than 16 arguments as a count, a size, a checksum and
   the first.

   With "spawn" as the first argument it then runs ARGV.TOS (itself) twice:
   once with an ARGV list and a command line of length byte 127 of its own
   making, which Pexec passes on unchanged, and once with env 0, so the child
   gets a copy of the parent's environment, the long list vellum gave it,
   whole. The entry registers come from romcheck_entry.S. */
#include "pexec_call.h"

extern unsigned long entry_regs[16];

static unsigned long environment(void) {
  return PEEK32(_base + 0x2C);
}

static void show_command_line(void) {
  const unsigned char* line = _base + 0x80;
  print("command line: length ");
  print_dec(line[0]);
  print(", \"");
  unsigned n = 0;
  for (; n < 126 && line[1 + n]; ++n) {
    char one[2] = {line[1 + n] == 0x1A ? '~' : (char)line[1 + n], 0};
    print(one);
  }
  print("\", ");
  print_dec(n);
  print(" characters\n");
}

static void show_where(void) {
  const unsigned long env = environment();
  print("environment: ");
  if (env >= PEEK32(_base + 4))
    print("above the program's memory\n");
  else if (env < (unsigned long)_base)
    print("below the basepage\n");
  else
    print("inside the program\n");
  check("A3 at entry is the environment", (long)entry_regs[11], (long)env);
}

static void show_argument(const char* s) {
  size_t n = strlen(s);
  print("[");
  if (n <= 40) {
    print(s);
  } else {
    char ends[24];
    memcpy(ends, s, 8);
    memcpy(ends + 8, "...", 3);
    memcpy(ends + 11, s + n - 8, 9);
    print(ends);
    print(" (");
    print_dec((long)n);
    print(" characters)");
  }
  print("]\n");
}

/* The strings after "ARGV=", up to the empty one. */
static void show_environment(void) {
  const char* p = (const char*)environment();
  if (*p == 0) {
    print("environment empty\n");
    return;
  }
  print(p); /* the variable itself */
  newline();
  p += strlen(p) + 1;
  /* The name: the folder part depends on where the program lies. */
  const char* last = p;
  int slashes = 0;
  for (const char* c = p; *c; ++c) {
    if (*c == '\\') last = c + 1;
    slashes += *c == '/';
  }
  print("name: ...");
  print(last);
  newline();
  check("the name has no '/'", slashes, 0);
  p += strlen(p) + 1;
  const char* first = p;
  unsigned long count = 0, bytes = 0, sum = 0;
  for (const char* q = p; *q; q += strlen(q) + 1, ++count)
    for (const char* c = q; *c; ++c) sum = sum * 31 + (unsigned char)*c, ++bytes;
  if (count <= 16) {
    for (; *p; p += strlen(p) + 1) show_argument(p);
  } else {
    print_udec(count);
    print(" strings of ");
    print_udec(bytes);
    print(" characters, checksum ");
    print_hex(sum, 8);
    newline();
    show_argument(first);
  }
  print("end of the environment\n");
}

/* A list of its own for the child: "ARGV=", the name, three arguments (one
   with spaces, one long), and a command line that says so. */
static void spawn(void) {
  static char env[512];
  static const char* const strings[] = {
      "ARGV=", "ARGV.TOS", "from the parent", "second",
      "a long argument that goes on past the 125 characters a command line holds: "
      "0123456789012345678901234567890123456789012345678901234567890123456789"};
  char* e = env;
  for (unsigned i = 0; i < sizeof strings / sizeof strings[0]; ++i) {
    size_t n = strlen(strings[i]) + 1;
    memcpy(e, strings[i], n);
    e += n;
  }
  *e = 0;
  static char tail[128];
  make_tail(tail, "from~the~parent second a~long~argument~that~goes~on");
  tail[0] = 127;
  print("-- child with the parent's own ARGV list\n");
  check("Pexec", Pexec(0, "ARGV.TOS", tail, env), 0);
  print("-- child with the parent's environment\n");
  check("Pexec", Pexec(0, "ARGV.TOS", make_tail(tail, "inherits"), 0), 0);
}

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  show_command_line();
  show_where();
  show_environment();
  /* As the libraries do: the list counts only with the length byte 127. A
     child that inherits it with a command line of its own ignores it. */
  const char* p = (const char*)environment();
  if (*p && _base[0x80] == 127) {
    p += strlen(p) + 1; /* ARGV= */
    p += strlen(p) + 1; /* the name */
    if (strcmp(p, "spawn") == 0) spawn();
  }
  return check_failures();
}
