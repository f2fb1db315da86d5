/* The smallest C program: start-up, one line of output, exit. */
#include "workload.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  print("Hello, world\n");
  return 0;
}
