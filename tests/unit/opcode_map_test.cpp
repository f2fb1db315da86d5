// The whole decode table against the published 68000 opcode map: every one
// of the 65536 opcodes must decode to the operation the map names, except in
// groups this core decodes differently on purpose, each listed below with its
// reason.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "cpu/exceptions.h"

namespace {

using m68k::opcode_family;

// Bucket of each opcode in the published map: the first word of its entry
// ("ADD.b", "Bcc", ...), "None" where the 68000 defines nothing.
const std::vector<std::string>& official_buckets() {
  static const std::vector<std::string> buckets = [] {
    std::vector<std::string> b(0x10000);
    std::ifstream in(std::string(VECTOR_DIR) + "/68000.official.json");
    const nlohmann::json map = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
    if (map.is_object()) {
      for (const auto& [key, value] : map.items()) {
        const std::string text = value.get<std::string>();
        b[std::stoul(key, nullptr, 16)] = text.substr(0, text.find(' '));
      }
    }
    return b;
  }();
  return buckets;
}

bool is_exception_family(const char* f) {
  return std::strcmp(f, "illegal") == 0 || std::strcmp(f, "lineA") == 0 ||
         std::strcmp(f, "lineF") == 0;
}

struct DeliberateGroup {
  const char* name;
  const char* reason;
  bool (*contains)(uint16_t op);
};

// Opcodes this core decodes otherwise than the 68000 does, by design.
const DeliberateGroup kDeliberate[] = {
    {"Bcc/BSR/BRA with displacement byte 0xFF",
     "decoded as the later models' 32-bit-displacement branch, which raises illegal instruction",
     [](uint16_t op) { return (op & 0xF0FF) == 0x60FF; }},
};

const DeliberateGroup* deliberate_group(uint16_t op) {
  for (const DeliberateGroup& g : kDeliberate)
    if (g.contains(op)) return &g;
  return nullptr;
}

class OpcodeMap : public testing::Test {
 protected:
  static void SetUpTestSuite() { m68k::init(); }
};

TEST_F(OpcodeMap, OfficialMapLoads) {
  const auto& b = official_buckets();
  unsigned filled = 0;
  for (const auto& s : b) filled += !s.empty();
  EXPECT_EQ(filled, 0x10000u) << "68000.official.json missing or incomplete under " VECTOR_DIR;
}

TEST_F(OpcodeMap, EveryOpcodeHasAHandlerAndAFamily) {
  for (uint32_t op = 0; op < 0x10000; ++op) {
    ASSERT_NE(m68k::instruction_jump_table[op], nullptr) << std::hex << op;
    ASSERT_NE(opcode_family(static_cast<uint16_t>(op)), nullptr) << std::hex << op;
  }
}

// Opcodes that no row covers keep the ILLEGAL handler; with ILLEGAL itself
// that makes 9925. The message separates the two sources so that a row which
// installs the ILLEGAL handler for other opcodes shows up as such.
TEST_F(OpcodeMap, IllegalHandlerCoversExactly9925Opcodes) {
  const m68k::OpcodeRow* rows = m68k::opcode_rows();
  const unsigned row_count = m68k::opcode_row_count();
  unsigned n = 0, uncovered = 0;
  for (uint32_t op = 0; op < 0x10000; ++op) {
    if (m68k::instruction_jump_table[op] != &m68k::op_illegal) continue;
    ++n;
    bool covered = false;
    for (unsigned i = 0; i < row_count && !covered; ++i)
      covered = (op & rows[i].mask) == rows[i].match;
    uncovered += !covered;
  }
  EXPECT_EQ(n, 9925u) << uncovered << " opcodes are covered by no row; " << n - uncovered
                      << " come from rows whose handler is the ILLEGAL handler itself";
  EXPECT_EQ(m68k::instruction_jump_table[0x4AFC], &m68k::op_illegal);
}

TEST_F(OpcodeMap, LineAAndLineFRangesTakeTheirExceptions) {
  for (uint32_t op = 0xA000; op <= 0xAFFF; ++op) {
    EXPECT_EQ(m68k::instruction_jump_table[op], &m68k::op_line_a) << std::hex << op;
    EXPECT_STREQ(opcode_family(static_cast<uint16_t>(op)), "lineA") << std::hex << op;
  }
  for (uint32_t op = 0xF000; op <= 0xFFFF; ++op)
    EXPECT_STREQ(opcode_family(static_cast<uint16_t>(op)), "lineF") << std::hex << op;
}

// Compares per bucket so that a mismatch reports one line per family with a
// count and an example rather than thousands of opcode lines.
TEST_F(OpcodeMap, FamiliesAgreeWithTheOfficialMap) {
  const auto& official = official_buckets();
  ASSERT_FALSE(official[0].empty());
  struct Mismatch {
    unsigned count = 0;
    uint16_t example = 0;
  };
  std::map<std::string, Mismatch> mismatches;  // "official -> core"
  std::map<const DeliberateGroup*, unsigned> deliberate;
  for (uint32_t i = 0; i < 0x10000; ++i) {
    const auto op = static_cast<uint16_t>(i);
    const std::string& want = official[op];
    const char* got = opcode_family(op);
    const bool agree = want == "None" ? is_exception_family(got) : want == got;
    if (agree) continue;
    if (const DeliberateGroup* g = deliberate_group(op)) {
      ++deliberate[g];
      continue;
    }
    Mismatch& m = mismatches[want + " -> " + got];
    if (m.count++ == 0) m.example = op;
  }
  for (const auto& [what, m] : mismatches)
    ADD_FAILURE() << what << ": " << m.count << " opcodes, e.g. " << std::hex << m.example;
  // Each deliberate group must actually differ, or it has no reason to exist.
  for (const DeliberateGroup& g : kDeliberate)
    EXPECT_GT(deliberate[&g], 0u) << g.name << " (" << g.reason << ") no longer differs";
}

TEST_F(OpcodeMap, RowGroupsHaveTheDocumentedSizes) {
  struct Group {
    const char* name;
    bool (*member)(uint32_t mask);
    unsigned rows;
  };
  const Group groups[] = {
      {"generic",
       [](uint32_t m) {
         return m != 0xFF00 && m != 0xF1F8 && m != 0xFFF0 && m != 0xF1FF && m != 0xFFF8 &&
                m != 0xFFFF;
       },
       6},
      {"0xFF00", [](uint32_t m) { return m == 0xFF00; }, 16},
      {"0xF1F8", [](uint32_t m) { return m == 0xF1F8; }, 533},
      {"0xFFF0", [](uint32_t m) { return m == 0xFFF0; }, 2},
      {"0xF1FF", [](uint32_t m) { return m == 0xF1FF; }, 343},
      {"0xFFF8", [](uint32_t m) { return m == 0xFFF8; }, 592},
      {"0xFFFF", [](uint32_t m) { return m == 0xFFFF; }, 470},
  };
  const m68k::OpcodeRow* rows = m68k::opcode_rows();
  const unsigned n = m68k::opcode_row_count();
  unsigned total = 0;
  for (const Group& g : groups) {
    unsigned count = 0;
    for (unsigned i = 0; i < n; ++i) count += g.member(rows[i].mask);
    EXPECT_EQ(count, g.rows) << "rows with mask " << g.name << " differ by "
                             << static_cast<int>(count) - static_cast<int>(g.rows);
    total += count;
  }
  EXPECT_EQ(total, n);
  EXPECT_EQ(n, 1962u);
  EXPECT_EQ(rows[n].handler, nullptr);
}

}  // namespace
