/* Ends with the exit code given as the first parameter: a decimal number for
   Pterm, or "p0" for Pterm0. */
#include "rt.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    print("usage: exitcode <code>|p0\n");
    return 1;
  }
  if (strcmp(argv[1], "p0") == 0) {
    print("Pterm0\n");
    Pterm0();
  }
  unsigned long code = 0;
  for (const char* p = argv[1]; *p >= '0' && *p <= '9'; ++p) code = code * 10 + (*p - '0');
  print("Pterm ");
  print_udec(code);
  newline();
  Pterm((unsigned short)code);
}
