// The process set-up of every fuzz target, which libFuzzer runs once before
// the first input.
#include "cpu/cpu_state.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::start_process();
  m68k::init();
  return 0;
}
