#include "report.h"

#include <filesystem>
#include <map>

#include "classify.h"
#include "execute.h"
#include "vector.h"

namespace conformance {
namespace {

struct FileTally {
  unsigned passed = 0, failed = 0, classified = 0;
};

void print_differences(FILE* out, const Vector& v, const std::vector<Difference>& diffs) {
  std::fprintf(out, "FAIL %s\n", v.name.c_str());
  for (const Difference& d : diffs) {
    const char* format = d.field == Field::kRam ? "  %-12s expected %02x, got %02x\n"
                                                : "  %-12s expected %08x, got %08x\n";
    std::fprintf(out, format, field_name(d).c_str(), d.expected, d.actual);
  }
}

}  // namespace

int run_report(const std::vector<std::string>& files, const ReportOptions& options, FILE* out) {
  prepare_core();
  std::map<const ClassRule*, unsigned> class_counts;
  unsigned total_passed = 0, total_failed = 0;
  bool load_failed = false;
  std::vector<Vector> vectors;
  std::string error;

  for (const std::string& file : files) {
    if (!load_vector_file(file, vectors, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      load_failed = true;
      continue;
    }
    FileTally tally;
    for (const Vector& v : vectors) {
      const ClassRule* cls = classify_before_run(v);
      std::vector<Difference> diffs;
      if (!cls) {
        diffs = run_vector(v);
        cls = classify_failure(v, diffs);
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
        if (options.failures) print_differences(out, v, diffs);
      }
      if (options.list) std::fprintf(out, "%s\t%s\n", v.name.c_str(), outcome);
    }
    total_passed += tally.passed;
    total_failed += tally.failed;
    std::fprintf(out, "%-20s %5u passed %5u failed %5u classified\n",
                 std::filesystem::path(file).filename().string().c_str(), tally.passed,
                 tally.failed, tally.classified);
  }

  for (const ClassRule& r : class_rules())
    std::fprintf(out, "class %-22s %6u  %s\n", r.name, class_counts[&r], r.reason);
  std::fprintf(out, "%u passed, %u failed\n", total_passed, total_failed);
  std::fflush(out);
  return total_failed == 0 && !load_failed ? 0 : 1;
}

}  // namespace conformance
