/* The child the Pexec guests run. Its command line says what it does:
     code N          end with code N (a negative N too)
     check BP H      compare its basepage with the parent's BP (hex), take
                     memory, write a line to the parent's handle H, and leave
                     a file of its own open; end with 5
     env             print its environment
     grand           run pexec_child.tos "code 7" and end with its code + 1
     deep N          run pexec_child.tos "deep N+1" until Pexec fails; end
                     with the level that failed
     fault           raise an illegal-instruction exception */
#include "pexec_call.h"

static const char child_file_text[] = "written by the child, left open\n";

static int check_basepage(unsigned long parent, unsigned short handle) {
  const unsigned long bp = (unsigned long)_base;
  check("parent pointer", (long)PEEK32(bp + 0x24), (long)parent);
  check("lowest address is the basepage", (long)PEEK32(bp), (long)bp);
  check("text follows the basepage", (long)PEEK32(bp + 0x08), (long)(bp + 0x100));
  check("DTA in the basepage", Fgetdta(), (long)(bp + 0x80));
  check_true("the basepage lies above the parent's", bp > parent);

  /* What Malloc offers is the memory above the child's own program. */
  const unsigned long image_end = PEEK32(bp + 0x18) + PEEK32(bp + 0x1C);
  const unsigned long top = PEEK32(bp + 0x04);
  const long free_size = Malloc(-1);
  check("Malloc(-1) is the memory above the program", free_size, (long)(top - image_end));
  unsigned char* block = (unsigned char*)Malloc(free_size - 2);
  check("the block starts above the program", (long)block, (long)image_end);
  memset(block, 0xEE, 0x10000); /* where the parent's memory would be, if it were handed out */
  check("nothing is left", Malloc(-1), 2);
  check("Mshrink of the parent's memory is refused", Mshrink((void*)parent, 0x100), -40);

  static const char line[] = "child line\n";
  check("Fwrite to the parent's handle", Fwrite(handle, sizeof line - 1, line), sizeof line - 1);
  long own = Fcreate("child.txt", 0);
  check("the child's own file", own, 17);
  Fwrite((unsigned short)own, sizeof child_file_text - 1, child_file_text);
  return 5;
}

static void print_environment(void) {
  const char* p = (const char*)PEEK32((unsigned long)_base + 0x2C);
  while (*p) {
    print("  ");
    print(p);
    newline();
    p += strlen(p) + 1;
  }
  print("  end of the environment\n");
}

static long run_again(const char* text) {
  char tail[128];
  return Pexec(0, "pexec_child.tos", make_tail(tail, text), 0);
}

int main(int argc, char** argv) {
  print("child:");
  for (int i = 1; i < argc; ++i) {
    print(" ");
    print(argv[i]);
  }
  newline();
  if (argc < 2) return 1;
  const char* command = argv[1];
  if (strcmp(command, "code") == 0 && argc > 2) return (int)parse_dec(argv[2]);
  if (strcmp(command, "check") == 0 && argc > 3)
    return check_basepage(parse_hex(argv[2]), (unsigned short)parse_dec(argv[3]));
  if (strcmp(command, "env") == 0) {
    print_environment();
    return 0;
  }
  if (strcmp(command, "grand") == 0) {
    long code = run_again("code 7");
    print("child: the grandchild answered ");
    print_dec(code);
    newline();
    return (int)code + 1;
  }
  if (strcmp(command, "deep") == 0 && argc > 2) {
    const long level = parse_dec(argv[2]);
    char text[16] = "deep ";
    format_dec(text + 5, level + 1);
    const long code = run_again(text);
    if (code >= 0) return (int)code;
    print("child: at level ");
    print_dec(level);
    print(" Pexec answers ");
    print_dec(code);
    newline();
    return (int)level;
  }
  if (strcmp(command, "fault") == 0) {
    __asm__ volatile("illegal");
    print("child: still running after the fault\n");
  }
  return 1;
}
