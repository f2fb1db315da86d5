// Runs the built vellum as a child process with control over its standard
// descriptors, and can close its output pipe or signal it once it has
// printed a marker: the ways a run can end from outside.
#pragma once

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace robust {

enum class Interference {
  kNone,       // let the run end by itself
  kClosePipe,  // close the read end of standard output after the marker
  kSignal,     // send `signal` after the marker
};

struct Launch {
  std::filesystem::path dir;
  std::filesystem::path program;
  std::vector<std::string> args;
  std::vector<int> closed_descriptors;  // of 0, 1 and 2: closed at the start
  Interference interference = Interference::kNone;
  int signal = SIGTERM;
  std::string marker = "files written\n";
  int timeout_seconds = 30;
};

struct Outcome {
  std::string out;  // standard output, up to the interference
  std::string err;
  int exit_status = -1;  // when it exited
  int signal = 0;        // when a signal ended it
  bool timed_out = false;
  bool marker_seen = false;
};

Outcome launch(const Launch& l);

}  // namespace robust
