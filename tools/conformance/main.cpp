// vellum-conformance: runs single-step vector files against the CPU core and
// reports, per file, how many vectors pass, fail or fall into a class of
// deliberate differences.
//
//   vellum-conformance [--failures] [--list] [--interpreter] <file.json.gz | folder>...
//
// Each vector runs through the interpreter and, in builds that have it,
// through the translation tier; --interpreter skips the tier.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "report.h"
#include "vector.h"

namespace {

struct Options {
  conformance::ReportOptions report;
  std::vector<std::string> paths;
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

bool parse_args(int argc, char** argv, Options& opt) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--failures") == 0)
      opt.report.failures = true;
    else if (std::strcmp(argv[i], "--list") == 0)
      opt.report.list = true;
    else if (std::strcmp(argv[i], "--interpreter") == 0)
      opt.report.translator = false;
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
    std::fprintf(stderr,
                 "usage: %s [--failures] [--list] [--interpreter] <file.json.gz | folder>...\n",
                 argv[0]);
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
  const int status = conformance::run_report(files, opt.report, out);
  if (!scratch.empty()) {
    std::error_code ec;
    std::filesystem::current_path("/", ec);
    std::filesystem::remove_all(scratch, ec);
  }
  return status;
}
