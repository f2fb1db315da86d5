/* Parameters: the raw command line in the basepage (length byte, the bytes
   up to and including the NUL) and the words the runtime splits it into,
   with 0x1A shown as <1A>. */
#include "rt.h"

int main(int argc, char** argv) {
  print("length ");
  print_hex(_base[0x80], 2);
  print("\nbytes");
  for (int i = 0x81; i < 0x100; ++i) {
    print(" ");
    print_hex(_base[i], 2);
    if (_base[i] == 0) break;
  }
  print("\nargc ");
  print_dec(argc - 1);
  newline();
  for (int i = 1; i < argc; ++i) {
    print("[");
    for (const char* p = argv[i]; *p; ++p) {
      if (*p == 0x1A) {
        print("<1A>");
      } else {
        char one[2] = {*p, 0};
        print(one);
      }
    }
    print("]\n");
  }
  return 0;
}
