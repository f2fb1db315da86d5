#include "runner/runner.h"
#include "translator/engine.h"

int main(int argc, char** argv) {
  translator::configure_from_environment();
  return runner::run(argc, argv, &translator::execute);
}
