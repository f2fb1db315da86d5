#include "runner/runner.h"

int main(int argc, char** argv) {
  return runner::run(argc, argv);
}
