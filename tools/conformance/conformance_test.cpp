// The harness's own behaviour: vector files load as written, one vector runs
// and compares field by field, and each class rule takes exactly the vectors
// its reason explains.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "classify.h"
#include "execute.h"
#include "machine/emu_memory.h"
#include "vector.h"

namespace conformance {
namespace {

constexpr uint32_t kSrX = 0x10, kSrC = 0x01;

TEST(VectorFiles, NopFileLoadsEveryVectorWithItsOpcodeAndBusCycles) {
  std::vector<Vector> vs;
  std::string error;
  ASSERT_TRUE(load_vector_file(std::string(VECTOR_DIR) + "/NOP.json.gz", vs, error)) << error;
  ASSERT_EQ(vs.size(), 1000u);
  for (const Vector& v : vs) {
    EXPECT_EQ(v.opcode, 0x4E71);
    EXPECT_EQ(v.final.pc, v.initial.pc + 2) << v.name;
    EXPECT_FALSE(v.bus.empty()) << v.name;  // at least the next prefetch
  }
}

// The first vector of ADD.w as the file gives it.
TEST(VectorFiles, FieldsLandWhereTheFileSays) {
  std::vector<Vector> vs;
  std::string error;
  ASSERT_TRUE(load_vector_file(std::string(VECTOR_DIR) + "/ADD.w.json.gz", vs, error)) << error;
  ASSERT_FALSE(vs.empty());
  const Vector& v = vs[0];
  EXPECT_EQ(v.name, "5e4a [ADD.w Q, A2] 1");
  EXPECT_EQ(v.opcode, 0x5E4A);
  EXPECT_EQ(v.initial.d[0], 1766557611u);
  EXPECT_EQ(v.initial.d[7], 3550899075u);
  EXPECT_EQ(v.initial.a[2], 4077210170u);
  EXPECT_EQ(v.final.a[2], 4077210177u);
  EXPECT_EQ(v.initial.usp, 2257657870u);
  EXPECT_EQ(v.initial.ssp, 2048u);
  EXPECT_EQ(v.initial.sr, 9987u);
  EXPECT_EQ(v.initial.pc, 3072u);
  EXPECT_EQ(v.final.pc, 3074u);
  EXPECT_EQ(v.initial.prefetch[1], 56002);
  EXPECT_EQ(v.final.prefetch[1], 467);
  const std::vector<std::pair<uint32_t, uint8_t>> ram = {{3077, 211}, {3076, 1}};
  EXPECT_EQ(v.initial.ram, ram);
  EXPECT_EQ(v.final.ram, ram);
  // One read; the idle cycle after it is not kept.
  ASSERT_EQ(v.bus.size(), 1u);
  EXPECT_EQ(v.bus[0].kind, 'r');
  EXPECT_EQ(v.bus[0].function_code, 6);
  EXPECT_EQ(v.bus[0].address, 3076u);
  EXPECT_TRUE(v.bus[0].word);
  EXPECT_EQ(v.bus[0].value, 467u);
}

TEST(VectorFiles, FolderExpandsToSortedGzipFiles) {
  std::string error;
  const auto files = expand_vector_paths({VECTOR_DIR}, error);
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_EQ(files.size(), 124u);
  EXPECT_TRUE(std::is_sorted(files.begin(), files.end()));
  for (const auto& f : files) EXPECT_EQ(f.substr(f.size() - 8), ".json.gz");
}

TEST(VectorFiles, MissingPathIsReported) {
  std::string error;
  expand_vector_paths({"/nonexistent/vectors"}, error);
  EXPECT_FALSE(error.empty());
  std::vector<Vector> vs;
  EXPECT_FALSE(load_vector_file("/nonexistent/x.json.gz", vs, error));
}

// ILLEGAL in supervisor mode: a six-byte frame below SSP and a jump through
// vector 4, a result fully determined by exception entry.
Vector illegal_vector() {
  Vector v;
  v.name = "4afc synthetic";
  v.opcode = 0x4AFC;
  MachineState& i = v.initial;
  for (unsigned r = 0; r < 8; ++r) i.d[r] = 0x11111111 * r;
  for (unsigned r = 0; r < 7; ++r) i.a[r] = 0x01000000 + r;
  i.sr = 0x2704;
  i.usp = 0x3000;
  i.ssp = 0x0800;
  i.pc = 0x1000;
  i.prefetch[0] = 0x4AFC;
  i.ram = {{0x10, 0x00}, {0x11, 0x00}, {0x12, 0x20}, {0x13, 0x00}};
  v.final = i;
  v.final.ssp = 0x07FA;
  v.final.pc = 0x2000;
  // Frame: SR 0x2704, then the opcode's own address 0x00001000.
  const uint8_t frame[6] = {0x27, 0x04, 0x00, 0x00, 0x10, 0x00};
  for (unsigned k = 0; k < 6; ++k) {
    v.initial.ram.push_back({0x07FA + k, 0x55});
    v.final.ram.push_back({0x07FA + k, frame[k]});
  }
  return v;
}

TEST(RunVector, MatchingResultHasNoDifferencesAndLeavesMemoryClear) {
  prepare_core();
  const Vector v = illegal_vector();
  EXPECT_TRUE(run_vector(v).empty());
  for (const auto& cell : v.final.ram) EXPECT_EQ(machine::peek8(cell.first), 0u);
  EXPECT_EQ(machine::peek16(v.initial.pc), 0u);
}

TEST(RunVector, EachWrongExpectationIsReportedAsItsOwnField) {
  prepare_core();
  struct Case {
    void (*spoil)(MachineState&);
    const char* field;
  };
  const Case cases[] = {
      {[](MachineState& s) { s.d[3] ^= 1; }, "d3"},
      {[](MachineState& s) { s.a[6] ^= 0x100; }, "a6"},
      {[](MachineState& s) { s.usp += 2; }, "usp"},
      {[](MachineState& s) { s.ssp -= 2; }, "ssp"},
      {[](MachineState& s) { s.sr ^= kSrC; }, "sr"},
      {[](MachineState& s) { s.pc += 2; }, "pc"},
      {[](MachineState& s) { s.ram.back().second ^= 0xFF; }, "ram[0007ff]"},
  };
  for (const Case& c : cases) {
    Vector v = illegal_vector();
    c.spoil(v.final);
    const auto diffs = run_vector(v);
    ASSERT_EQ(diffs.size(), 1u) << c.field;
    EXPECT_EQ(field_name(diffs[0]), c.field);
    EXPECT_NE(diffs[0].expected, diffs[0].actual);
  }
}

// --- class rules -----------------------------------------------------------

Vector with_opcode(uint16_t op) {
  Vector v;
  v.opcode = op;
  v.initial.prefetch[0] = op;
  v.initial.pc = 0x1000;
  v.final.pc = 0x1002;
  return v;
}

Difference sr_diff(uint32_t expected, uint32_t actual) {
  return {Field::kSr, 0, expected, actual};
}

BusAccess access(char kind, uint8_t fc, uint32_t address, bool word, uint32_t value = 0) {
  return {kind, fc, word, address, value};
}

struct RuleCase {
  const char* label;
  Vector vector;
  std::vector<Difference> diffs;
  const char* expected;  // class name, or nullptr for none
};

// Keeps test listings readable: a case prints as its label.
void PrintTo(const RuleCase& c, std::ostream* os) {
  *os << c.label;
}

const char* classify(const Vector& v, const std::vector<Difference>& diffs) {
  if (const ClassRule* r = classify_before_run(v)) return r->name;
  const ClassRule* r = classify_failure(v, diffs);
  return r ? r->name : nullptr;
}

Vector address_error_vector(uint32_t handler, uint32_t fetched) {
  Vector v = with_opcode(0x3010);  // MOVE.W (A0),D0
  v.final.pc = handler;
  v.bus = {access('w', 5, 0x7FE, true), access('r', 5, 0x0C, true, handler >> 16),
           access('r', 5, 0x0E, true, handler & 0xFFFF), access('r', 6, fetched, true),
           access('r', 6, fetched + 2, true)};
  return v;
}

Vector asr_vector(uint16_t op, uint32_t count, uint32_t operand) {
  Vector v = with_opcode(op);
  v.initial.d[(op >> 9) & 7] = count;
  v.initial.d[op & 7] = operand;
  return v;
}

Vector abcd_vector(uint32_t src, uint32_t dst) {
  Vector v = with_opcode(0xC101);  // ABCD D1,D0
  v.initial.d[1] = src;
  v.initial.d[0] = dst;
  return v;
}

std::vector<RuleCase> rule_cases() {
  std::vector<RuleCase> cases;
  auto add = [&](const char* label, Vector v, std::vector<Difference> d, const char* cls) {
    cases.push_back({label, std::move(v), std::move(d), cls});
  };
  const std::vector<Difference> any = {{Field::kD0, 0, 1, 2}};
  add("BNE with displacement 0xFF", with_opcode(0x66FF), {}, "long-branch-opcode");
  add("BRA.W is decoded alike", with_opcode(0x6000), any, nullptr);
  add("BRA.B -2 is decoded alike", with_opcode(0x60FE), any, nullptr);

  add("reference ends in vector 3", address_error_vector(0x2000, 0x2000), {}, "address-error");
  add("vector-3 reads but PC elsewhere", address_error_vector(0x2000, 0x3000), any, nullptr);
  {
    Vector v = address_error_vector(0x2000, 0x2000);
    v.bus[1].address = 0x10;  // vector 4: an illegal-instruction entry
    v.bus[2].address = 0x12;
    add("other vector read", v, any, nullptr);
  }

  {
    Vector v = with_opcode(0x1010);
    v.bus = {access('r', 5, 0xFF8A01, false), access('r', 6, 0x1002, true)};
    add("byte read in I/O region", v, any, "io-region");
    v.bus = {access('w', 5, 0xFFFFFE, true)};
    add("word write in I/O region", v, any, "io-region");
    v.bus = {access('r', 5, 0xFF7FFF, false)};
    add("read just below I/O region", v, any, nullptr);
    Vector j = with_opcode(0x4ED0);  // JMP (A0) into the I/O region
    j.final.pc = 0xFF9000;
    j.bus = {access('r', 6, 0xFF9000, true), access('r', 6, 0xFF9002, true)};
    add("prefetch of the jump target only", j, any, nullptr);
    add("passing vector is never classified", v, {}, nullptr);
  }

  const auto xc = sr_diff(0x2700, 0x2711);
  add("ASR.B D1,D0 count 9 negative", asr_vector(0xE220, 9, 0x80), {xc}, "asr-count-defect");
  add("ASR.W count 63 negative", asr_vector(0xE260, 0xFFFFFFFF, 0x8000), {xc}, "asr-count-defect");
  add("ASR.L count 33 negative", asr_vector(0xE2A0, 33, 0x80000000), {xc}, "asr-count-defect");
  add("ASR.B count equal to size", asr_vector(0xE220, 8, 0x80), {xc}, nullptr);
  add("ASR.B count 9 positive", asr_vector(0xE220, 9, 0x7F), {xc}, nullptr);
  add("ASR.B count 9, value differs too", asr_vector(0xE220, 9, 0x80),
      {xc, {Field::kD0, 0, 0xFF, 0x80}}, nullptr);
  add("ASR.B count 9, N differs", asr_vector(0xE220, 9, 0x80), {sr_diff(0x2700, 0x2708)}, nullptr);
  add("LSR.B count 9 negative", asr_vector(0xE228, 9, 0x80), {xc}, nullptr);
  add("ASR.B immediate 8", asr_vector(0xE000, 9, 0x80), {xc}, nullptr);

  add("ABCD, V differs", abcd_vector(0x45, 0x38), {sr_diff(0x2700, 0x2702)}, "bcd-undefined-v");
  add("ABCD decimal, C differs", abcd_vector(0x45, 0x38), {sr_diff(0x2700, 0x2701)}, nullptr);
  add("ABCD non-decimal source, byte and flags differ", abcd_vector(0x2D, 0x69),
      {{Field::kD0, 0, 0x9C, 0xFC}, sr_diff(0x2708, 0x2711)}, "bcd-non-decimal");
  add("ABCD non-decimal, upper bits differ", abcd_vector(0x2D, 0x69),
      {{Field::kD0, 0, 0x9C, 0x019C}}, nullptr);
  add("ABCD non-decimal, other register differs", abcd_vector(0x2D, 0x69),
      {{static_cast<Field>(1), 0, 0x2D, 0x2E}}, nullptr);
  add("ABCD decimal, byte differs", abcd_vector(0x45, 0x38), {{Field::kD0, 0, 0x83, 0x84}},
      nullptr);
  {
    Vector v = with_opcode(0x8109);  // SBCD -(A1),-(A0)
    v.bus = {access('r', 5, 0x2001, false, 0x0F), access('r', 5, 0x3001, false, 0x12),
             access('w', 5, 0x3001, false, 0x00)};
    add("SBCD memory non-decimal, written byte differs", v, {{Field::kRam, 0x3001, 0x03, 0x09}},
        "bcd-non-decimal");
    add("SBCD memory, unwritten byte differs", v, {{Field::kRam, 0x3002, 0x03, 0x09}}, nullptr);
  }
  add("NBCD D0, V differs", with_opcode(0x4800), {sr_diff(0x2700, 0x2702)}, "bcd-undefined-v");
  {
    Vector v = with_opcode(0x4800);  // NBCD D0
    add("NBCD D0 of 0, X clear, N differs", v, {sr_diff(0x2704, 0x270C)}, "nbcd-zero-n");
    v.initial.sr = kSrX;
    add("NBCD D0 of 0, X set, N differs", v, {sr_diff(0x2704, 0x270C)}, nullptr);
    v.initial.sr = 0;
    v.initial.d[0] = 0x10;
    add("NBCD D0 of 0x10, N differs", v, {sr_diff(0x2704, 0x270C)}, nullptr);
    v.initial.d[0] = 0;
    add("NBCD D0 of 0, Z differs", v, {sr_diff(0x2704, 0x2700)}, nullptr);
    Vector m = with_opcode(0x4810);  // NBCD (A0)
    m.bus = {access('r', 5, 0x3000, false, 0x00), access('w', 5, 0x3000, false, 0x00)};
    add("NBCD (A0) of 0, N differs", m, {sr_diff(0x2704, 0x270C)}, "nbcd-zero-n");
    m.bus[0].value = 0x01;
    add("NBCD (A0) of 1, N differs", m, {sr_diff(0x2704, 0x270C)}, nullptr);
  }
  add("LINK.L pattern 0x4808 is no NBCD", with_opcode(0x4808), {sr_diff(0x2700, 0x2702)}, nullptr);
  return cases;
}

class ClassRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(ClassRuleTest, ClassifiesExactlyWhatItsRuleExplains) {
  const RuleCase& c = GetParam();
  const char* got = classify(c.vector, c.diffs);
  if (c.expected == nullptr)
    EXPECT_EQ(got, nullptr) << c.label << " took class " << got;
  else
    EXPECT_STREQ(got ? got : "(none)", c.expected) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Rules, ClassRuleTest, testing::ValuesIn(rule_cases()),
                         [](const testing::TestParamInfo<RuleCase>& info) {
                           std::string s;
                           for (const char* p = info.param.label; *p; ++p)
                             s += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return s;
                         });

}  // namespace
}  // namespace conformance
