// The table of end-to-end cases run by e2e_test.cpp.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct HostFile {
  std::string path;  // relative to the case's scratch directory
  std::string content;
};

struct E2eCase {
  std::string name;     // test name: letters, digits, underscores
  std::string program;  // guest program, without .tos
  std::vector<std::string> args;
  // File next to the guest sources holding the exact expected standard
  // output; "@CWD@" in it stands for the scratch directory, "@GEMDOS_CWD@"
  // for the same with '\' for '/'.
  std::string expected_output;
  int status = 0;
  std::vector<std::string> directories;  // created before the run
  std::vector<HostFile> files_before;    // created before the run
  // Other guest programs (without .tos) copied into the directory before the
  // run, as <name>.tos, for a program that runs them.
  std::vector<std::string> programs_before;
  std::vector<HostFile> files_after;      // must exist afterwards, with this content
  std::vector<std::string> files_absent;  // must not exist afterwards
  // Standard input: a pipe holding these bytes and then its end; without
  // it, /dev/null.
  std::optional<std::string> input;
  // Set in vellum's environment, over what the test run has.
  std::vector<std::pair<std::string, std::string>> environment;
  int timeout_seconds = 60;
};

const std::vector<E2eCase>& e2e_cases();

// gtest prints a case by its name rather than as raw bytes.
inline void PrintTo(const E2eCase& c, std::ostream* os) {
  *os << c.name;
}
