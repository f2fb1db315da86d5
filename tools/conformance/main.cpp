// vellum-conformance: runs single-step vector files against the CPU core and
// reports, per file, how many vectors pass, fail or fall into a class of
// deliberate differences.
//
//   vellum-conformance [--failures] [--list] <file.json.gz | folder>...

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "classify.h"
#include "execute.h"
#include "vector.h"

namespace {

using conformance::ClassRule;
using conformance::Difference;
using conformance::Vector;

struct Options {
  bool failures = false;
  bool list = false;
  std::vector<std::string> paths;
};

struct FileTally {
  unsigned passed = 0, failed = 0, classified = 0;
};

// The core and the OS-call handlers behind the I/O region print to standard
// output (fault reports, unhandled accesses). The harness keeps its own copy
// of the original stream and points descriptor 1 at /dev/null, so nothing a
// vector provokes can interleave with the report.
FILE* take_over_stdout() {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int null_fd = open("/dev/null", O_WRONLY);
  if (saved < 0 || null_fd < 0) return stdout;
  dup2(null_fd, STDOUT_FILENO);
  close(null_fd);
  FILE* out = fdopen(saved, "w");
  return out ? out : stdout;
}

// A vector whose writes hit a trap channel makes the core call host OS
// services with whatever the vector holds; run them in an empty scratch
// folder so no host file outside it can be touched.
std::filesystem::path enter_scratch_folder() {
  char templ[] = "/tmp/vellum-conformance-XXXXXX";
  if (!mkdtemp(templ)) return {};
  std::error_code ec;
  std::filesystem::current_path(templ, ec);
  return ec ? std::filesystem::path{} : std::filesystem::path{templ};
}

void print_differences(FILE* out, const Vector& v, const std::vector<Difference>& diffs) {
  std::fprintf(out, "FAIL %s\n", v.name.c_str());
  for (const Difference& d : diffs) {
    const bool byte = d.field == conformance::Field::kRam;
    std::fprintf(out,
                 byte ? "  %-12s expected %02x, got %02x\n" : "  %-12s expected %08x, got %08x\n",
                 conformance::field_name(d).c_str(), d.expected, d.actual);
  }
}

bool parse_args(int argc, char** argv, Options& opt) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--failures") == 0)
      opt.failures = true;
    else if (std::strcmp(argv[i], "--list") == 0)
      opt.list = true;
    else if (argv[i][0] == '-')
      return false;
    else
      opt.paths.push_back(std::filesystem::absolute(argv[i]).string());
  }
  return !opt.paths.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!parse_args(argc, argv, opt)) {
    std::fprintf(stderr, "usage: %s [--failures] [--list] <file.json.gz | folder>...\n", argv[0]);
    return 2;
  }
  std::string error;
  const std::vector<std::string> files = conformance::expand_vector_paths(opt.paths, error);
  if (!error.empty() || files.empty()) {
    std::fprintf(stderr, "%s\n", error.empty() ? "no vector files" : error.c_str());
    return 2;
  }

  FILE* out = take_over_stdout();
  const std::filesystem::path scratch = enter_scratch_folder();
  conformance::prepare_core();

  const auto& rules = conformance::class_rules();
  std::map<const ClassRule*, unsigned> class_counts;
  unsigned total_passed = 0, total_failed = 0;
  std::vector<Vector> vectors;
  bool load_failed = false;

  for (const std::string& file : files) {
    if (!conformance::load_vector_file(file, vectors, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      load_failed = true;
      continue;
    }
    FileTally tally;
    for (const Vector& v : vectors) {
      const ClassRule* cls = conformance::classify_before_run(v);
      std::vector<Difference> diffs;
      if (!cls) {
        diffs = conformance::run_vector(v);
        if (!diffs.empty()) cls = conformance::classify_failure(v, diffs);
      }
      const char* outcome;
      if (cls) {
        ++tally.classified;
        ++class_counts[cls];
        outcome = cls->name;
      } else if (diffs.empty()) {
        ++tally.passed;
        outcome = "pass";
      } else {
        ++tally.failed;
        outcome = "fail";
        if (opt.failures) print_differences(out, v, diffs);
      }
      if (opt.list) std::fprintf(out, "%s\t%s\n", v.name.c_str(), outcome);
    }
    total_passed += tally.passed;
    total_failed += tally.failed;
    std::fprintf(out, "%-20s %5u passed %5u failed %5u classified\n",
                 std::filesystem::path(file).filename().string().c_str(), tally.passed,
                 tally.failed, tally.classified);
  }

  for (const ClassRule& r : rules)
    std::fprintf(out, "class %-22s %6u  %s\n", r.name, class_counts[&r], r.reason);
  std::fprintf(out, "%u passed, %u failed\n", total_passed, total_failed);
  std::fflush(out);

  if (!scratch.empty()) {
    std::error_code ec;
    std::filesystem::current_path("/", ec);
    std::filesystem::remove_all(scratch, ec);
  }
  return (total_failed == 0 && !load_failed) ? 0 : 1;
}
