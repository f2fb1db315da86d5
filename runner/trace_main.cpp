// vellum-trace: vellum with one line per OS call and fault on standard
// error, for finding out why a program fails.
#include "machine/trace.h"
#include "runner/runner.h"
#include "translator/engine.h"

int main(int argc, char** argv) {
  machine::trace_enabled = true;
  translator::configure_from_environment();
  return runner::run(argc, argv, &translator::execute);
}
