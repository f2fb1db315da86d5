// The harness's report: runs vector files and prints per-file tallies, the
// count of each class and the closing "N passed, M failed" line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace conformance {

struct ReportOptions {
  bool failures = false;  // each failing vector with the fields that differ
  bool list = false;      // every vector's name and outcome
  // Each vector through the translation tier as well, when the build has
  // it: the same outcome is required of both.
  bool translator = true;
};

// Runs every file in order and writes the report to `out`. Returns 0 when
// every file loaded and no vector failed, 1 otherwise. Load errors go to
// stderr.
int run_report(const std::vector<std::string>& files, const ReportOptions& options, FILE* out);

}  // namespace conformance
