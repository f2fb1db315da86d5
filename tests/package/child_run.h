// Runs a command as a child process in a given folder and keeps what it
// leaves: its standard output and error, its exit status and every file in
// the folder afterwards. The package tests compare two such runs.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace package_test {

struct ChildRun {
  std::string out;
  std::string err;
  int status = -1;  // exit status, -1 when a signal ended it or it did not start
  int signal = 0;
  bool timed_out = false;
  // Path relative to the folder, and its content; folders end in '/'.
  std::map<std::string, std::string> files;
};

// Executes `executable` (a path, or a name looked up in PATH when it has no
// '/') with `argv`, argv[0] included, in `dir`, standard input /dev/null.
ChildRun run_child(const std::filesystem::path& dir, const std::string& executable,
                   const std::vector<std::string>& argv, int timeout_seconds = 60);

// A file to put in the run's folder: copied from `source` under `name`.
struct InputFile {
  std::filesystem::path source;
  std::string name;
};

// Empties `dir` and puts the inputs and the empty `folders` in it, so that
// two runs compared in the same folder start alike (a program may print
// the folder it runs in).
void refill(const std::filesystem::path& dir, const std::vector<InputFile>& inputs,
            const std::vector<std::string>& folders);

}  // namespace package_test
