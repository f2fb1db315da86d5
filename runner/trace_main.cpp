// vellum-trace: vellum with one line per OS call and fault on standard
// error, for finding out why a program fails.
#include "machine/trace.h"
#include "runner/runner.h"

int main(int argc, char** argv) {
  machine::trace_enabled = true;
  return runner::run(argc, argv);
}
