#include "translator/coverage_counts.h"

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "cpu/decode_table.h"
#include "translator/engine.h"

namespace translator {

namespace {

struct BlockRecord {
  uint64_t entries = 0;
  // Per instruction: the interpreter's family name, and whether it is a
  // translated form.
  std::vector<std::pair<const char*, bool>> insns;
};

struct FamilyCounts {
  uint64_t translated = 0, call_out = 0, interpreted = 0;
  uint64_t total() const { return translated + call_out + interpreted; }
};

struct Counts {
  // A deque keeps every record where it is: translated code holds the
  // address of its counter.
  std::deque<BlockRecord> blocks;
  uint64_t interpreted[0x10000] = {};
};

Counts& counts() {
  static Counts* c = new Counts;
  return *c;
}

// Written at exit by a static object; the counts themselves are never freed,
// so the report may run after other destructors.
struct Reporter {
  ~Reporter() {
    if (coverage_counting()) write_coverage_report(stderr);
  }
} reporter;

double percent(uint64_t part, uint64_t whole) {
  return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

}  // namespace

bool coverage_counting() {
  return settings().dump_counts;
}

uint64_t* coverage_block_counter(const GuestBlock& block) {
  BlockRecord& r = counts().blocks.emplace_back();
  for (const Insn& in : block.insns)
    r.insns.emplace_back(m68k::opcode_family(in.opcode), in.kind != Kind::kCallOut);
  return &r.entries;
}

void coverage_interpreted(uint16_t opcode) {
  ++counts().interpreted[opcode];
}

void write_coverage_report(std::FILE* out) {
  std::map<std::string, FamilyCounts> families;
  for (const BlockRecord& b : counts().blocks) {
    if (b.entries == 0) continue;
    for (const auto& [family, translated] : b.insns) {
      FamilyCounts& f = families[family];
      (translated ? f.translated : f.call_out) += b.entries;
    }
  }
  for (uint32_t op = 0; op < 0x10000; ++op)
    if (const uint64_t n = counts().interpreted[op])
      families[m68k::opcode_family(static_cast<uint16_t>(op))].interpreted += n;
  FamilyCounts sum;
  std::vector<std::pair<std::string, FamilyCounts>> rows(families.begin(), families.end());
  for (const auto& [name, f] : rows) {
    sum.translated += f.translated;
    sum.call_out += f.call_out;
    sum.interpreted += f.interpreted;
  }
  // The most frequent call-outs first, then what ran on the interpreter
  // alone (cold code, the first timeslice), then the translated forms.
  std::sort(rows.begin(), rows.end(), [](const auto& x, const auto& y) {
    const FamilyCounts &a = x.second, &b = y.second;
    if (a.call_out != b.call_out) return a.call_out > b.call_out;
    if (a.interpreted != b.interpreted) return a.interpreted > b.interpreted;
    return a.translated > b.translated;
  });
  const uint64_t total = sum.total();
  std::fprintf(out,
               "vellum: instructions %llu: translated %llu (%.2f %%), call-outs %llu (%.2f %%), "
               "interpreted %llu (%.2f %%)\n",
               static_cast<unsigned long long>(total),
               static_cast<unsigned long long>(sum.translated), percent(sum.translated, total),
               static_cast<unsigned long long>(sum.call_out), percent(sum.call_out, total),
               static_cast<unsigned long long>(sum.interpreted), percent(sum.interpreted, total));
  std::fprintf(out, "vellum: %-14s %14s %14s %14s %7s\n", "family", "translated", "call-out",
               "interpreted", "share");
  for (const auto& [name, f] : rows)
    std::fprintf(out, "vellum: %-14s %14llu %14llu %14llu %6.2f%%\n", name.c_str(),
                 static_cast<unsigned long long>(f.translated),
                 static_cast<unsigned long long>(f.call_out),
                 static_cast<unsigned long long>(f.interpreted), percent(f.total(), total));
}

}  // namespace translator
