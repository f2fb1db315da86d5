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

// What became of one vector: passed, failed, or taken by a class.
struct Outcome {
  const ClassRule* cls = nullptr;
  std::vector<Difference> diffs;
  const char* name() const { return cls ? cls->name : diffs.empty() ? "pass" : "fail"; }
  bool operator==(const Outcome& o) const {
    return cls == o.cls && diffs.empty() == o.diffs.empty();
  }
};

Outcome evaluate(const Vector& v, Engine engine, bool* translated) {
  Outcome o;
  o.cls = classify_before_run(v);
  if (!o.cls) {
    o.diffs = run_vector(v, engine, translated);
    o.cls = classify_failure(v, o.diffs);
  }
  return o;
}

void count(FileTally& tally, const Outcome& o) {
  if (o.cls)
    ++tally.classified;
  else if (o.diffs.empty())
    ++tally.passed;
  else
    ++tally.failed;
}

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
  const bool tier = options.translator && translator_available();
  std::map<const ClassRule*, unsigned> class_counts;
  unsigned total_passed = 0, total_failed = 0;
  FileTally tier_total;
  unsigned translated_total = 0, differing = 0;
  bool load_failed = false;
  std::vector<Vector> vectors;
  std::string error;

  for (const std::string& file : files) {
    if (!load_vector_file(file, vectors, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      load_failed = true;
      continue;
    }
    FileTally tally, tier_tally;
    unsigned translated_count = 0;
    for (const Vector& v : vectors) {
      const Outcome o = evaluate(v, Engine::kInterpreter, nullptr);
      count(tally, o);
      if (o.cls) ++class_counts[o.cls];
      if (options.failures && !o.cls && !o.diffs.empty()) print_differences(out, v, o.diffs);
      if (options.list) std::fprintf(out, "%s\t%s\n", v.name.c_str(), o.name());
      if (!tier) continue;
      bool translated = false;
      const Outcome t = evaluate(v, Engine::kTranslator, &translated);
      count(tier_tally, t);
      translated_count += translated;
      if (!(t == o)) {
        ++differing;
        std::fprintf(out, "TRANSLATOR %s: %s, the interpreter's %s\n", v.name.c_str(), t.name(),
                     o.name());
        if (options.failures && !t.diffs.empty()) print_differences(out, v, t.diffs);
      }
    }
    total_passed += tally.passed;
    total_failed += tally.failed;
    const std::string name = std::filesystem::path(file).filename().string();
    std::fprintf(out, "%-20s %5u passed %5u failed %5u classified\n", name.c_str(), tally.passed,
                 tally.failed, tally.classified);
    if (tier) {
      std::fprintf(out, "%-20s %5u passed %5u failed %5u classified, translator (%u translated)\n",
                   name.c_str(), tier_tally.passed, tier_tally.failed, tier_tally.classified,
                   translated_count);
      tier_total.passed += tier_tally.passed;
      tier_total.failed += tier_tally.failed;
      tier_total.classified += tier_tally.classified;
      translated_total += translated_count;
    }
  }

  for (const ClassRule& r : class_rules())
    std::fprintf(out, "class %-22s %6u  %s\n", r.name, class_counts[&r], r.reason);
  if (tier)
    std::fprintf(out,
                 "translator: %u passed, %u failed, %u classified; %u ran as translated code, %u "
                 "differ from the interpreter\n",
                 tier_total.passed, tier_total.failed, tier_total.classified, translated_total,
                 differing);
  std::fprintf(out, "%u passed, %u failed\n", total_passed, total_failed);
  std::fflush(out);
  const bool tier_clean = !tier || (tier_total.failed == 0 && differing == 0);
  return total_failed == 0 && tier_clean && !load_failed ? 0 : 1;
}

}  // namespace conformance
