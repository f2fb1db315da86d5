// Name lookup without regard to case, GEMDOS wildcards and 8.3 names, the
// DTA layout and Dfree's numbers.
#include "oscalls/host_paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "machine/emu_memory.h"
#include "oscalls/dir_search.h"
#include "oscalls/folder_calls.h"

namespace {

using namespace oscalls;

// --- wildcards and 8.3 names --------------------------------------------------

struct WildcardCase {
  const char* pattern;
  const char* name;
  bool match;
};

class Wildcard : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcard, MatchesFieldByField) {
  EXPECT_EQ(gemdos_wildcard_match(GetParam().pattern, GetParam().name), GetParam().match)
      << GetParam().pattern << " against " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Wildcard,
    ::testing::Values(WildcardCase{"*.*", "README.TXT", true}, WildcardCase{"*.*", "NOEXT", true},
                      WildcardCase{"*", "NOEXT", true}, WildcardCase{"*", "README.TXT", false},
                      WildcardCase{"*.TXT", "A.TXT", true}, WildcardCase{"*.TXT", "A.TX", false},
                      WildcardCase{"*.T*", "A.TX", true}, WildcardCase{"?.C", "A.C", true},
                      // '?' also matches the padding of a shorter name
                      WildcardCase{"??.C", "A.C", true}, WildcardCase{"?.C", "AB.C", false},
                      WildcardCase{"A*", "ABCDEFGH", true}, WildcardCase{"A*", "BA", false},
                      // characters after '*' in a field are ignored
                      WildcardCase{"A*Z.C", "AB.C", true},
                      WildcardCase{"readme.txt", "README.TXT", true},
                      WildcardCase{"README", "README.TXT", false},
                      WildcardCase{"README.", "README", true},
                      // a pattern longer than 8.3 is cut to its fields
                      WildcardCase{"LONGNAMES.TXTX", "LONGNAME.TXT", true},
                      WildcardCase{"*.*", "X.Y", true}, WildcardCase{"X.?", "X", true}));

struct ShortNameCase {
  const char* host;
  const char* gemdos;  // null: no 8.3 form
};

class ShortName : public ::testing::TestWithParam<ShortNameCase> {};

TEST_P(ShortName, IsTheUpperCase83FormOrNone) {
  char out[kDtaNameBytes];
  std::memset(out, 'x', sizeof out);
  const bool ok = gemdos_short_name(GetParam().host, out);
  ASSERT_EQ(ok, GetParam().gemdos != nullptr) << GetParam().host;
  if (!ok) return;
  EXPECT_STREQ(out, GetParam().gemdos);
  // the rest of the DTA's name field is cleared, not left as it was
  for (size_t i = std::strlen(out); i < sizeof out; ++i) EXPECT_EQ(out[i], 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ShortName,
    ::testing::Values(ShortNameCase{"readme.txt", "README.TXT"},
                      ShortNameCase{"Makefile", "MAKEFILE"}, ShortNameCase{"a.b", "A.B"},
                      ShortNameCase{"12345678.123", "12345678.123"}, ShortNameCase{"name.", "NAME"},
                      ShortNameCase{"123456789", nullptr}, ShortNameCase{"name.text", nullptr},
                      ShortNameCase{"a.b.c", nullptr}, ShortNameCase{".hidden", nullptr},
                      ShortNameCase{"", nullptr}));

// --- DTA layout and Dfree ------------------------------------------------------

TEST(DtaEntry, FillsTheFieldsAtTheirOffsetsAndNothingElse) {
  machine::clear_memory();
  constexpr uint32_t kDta = 0x8000;
  for (uint32_t i = 0; i < kDtaBytes + 2; ++i) machine::poke8(kDta - 1 + i, 0xEE);
  DtaEntry e{0x11, 0x1234, 0x5678, 0x9ABCDEF0, "AB.C"};
  write_dta_entry(kDta, e);
  const uint8_t want[] = {0x11, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 'A', 'B', '.',
                          'C',  0,    0,    0,    0,    0,    0,    0,    0,    0,   0};
  for (uint32_t i = 0; i < sizeof want; ++i)
    EXPECT_EQ(machine::peek8(kDta + kDtaAttribute + i), want[i]) << i;
  // the 21 bytes of search state and the bytes around the DTA are not written
  for (uint32_t i = 0; i < kDtaAttribute; ++i) EXPECT_EQ(machine::peek8(kDta + i), 0xEEu) << i;
  EXPECT_EQ(machine::peek8(kDta - 1), 0xEEu);
  EXPECT_EQ(machine::peek8(kDta + kDtaBytes), 0xEEu);
}

TEST(Dfree, CountsKilobyteClustersCappedAtADriveOfThePeriod) {
  const struct {
    uint64_t free_bytes, total_bytes;
    uint32_t free_clusters, total_clusters;
  } rows[] = {
      {0, 0, 0, 0},
      {1023, 4096, 0, 4},
      {10 * 1024 + 5, 32767 * 1024 + 1023, 10, 32767},
      {10 * 1024, 32768 * 1024, 10, 32767},
      {uint64_t{1} << 40, uint64_t{1} << 42, 32767, 32767},
  };
  for (const auto& r : rows) {
    const DfreeInfo info = dfree_info(r.free_bytes, r.total_bytes);
    EXPECT_EQ(info.free_clusters, r.free_clusters) << r.free_bytes;
    EXPECT_EQ(info.total_clusters, r.total_clusters) << r.total_bytes;
    EXPECT_EQ(uint64_t{info.sector_bytes} * info.cluster_sectors, 1024u);
    EXPECT_LE(info.free_clusters, 0x7FFFu) << "a signed 16-bit count";
  }
}

TEST(GemdosStamp, PacksLocalTimeAndClampsToTheRangeItHolds) {
  const struct {
    int year, month, day, hour, minute, second;
    uint16_t time, date;
  } rows[] = {
      {1999, 12, 31, 23, 59, 59, (23 << 11) | (59 << 5) | 29, (19 << 9) | (12 << 5) | 31},
      {1980, 1, 1, 0, 0, 1, 0, (1 << 5) | 1},
      {1979, 12, 31, 23, 59, 58, 0, (1 << 5) | 1},
      {1970, 1, 2, 0, 0, 0, 0, (1 << 5) | 1},
      {2107, 12, 31, 23, 59, 58, (23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31},
      {2200, 6, 1, 12, 0, 0, (23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31},
  };
  for (const auto& r : rows) {
    std::tm t{};
    t.tm_year = r.year - 1900;
    t.tm_mon = r.month - 1;
    t.tm_mday = r.day;
    t.tm_hour = r.hour;
    t.tm_min = r.minute;
    t.tm_sec = r.second;
    t.tm_isdst = -1;
    uint16_t time = 1, date = 1;
    gemdos_stamp(std::mktime(&t), time, date);
    EXPECT_EQ(time, r.time) << r.year;
    EXPECT_EQ(date, r.date) << r.year;
  }
}

// --- lookup -------------------------------------------------------------------

class Lookup : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vellum-paths-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    std::filesystem::create_directories("Src/Lib");
    std::filesystem::create_directories("dup");
    for (const char* f : {"Src/Lib/Util.S", "Src/main.c", "dup/foo", "dup/FOO", "dup/Foo"})
      std::ofstream(f) << f;
  }
  void TearDown() override {
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_, home_;
};

TEST_F(Lookup, FindsEachPartInAnyCase) {
  const struct {
    const char* given;
    const char* host;
    PathLookup lookup;
  } rows[] = {
      {"Src/main.c", "Src/main.c", PathLookup::kFound},
      {"SRC/MAIN.C", "Src/main.c", PathLookup::kFound},
      {"src/lib/util.s", "Src/Lib/Util.S", PathLookup::kFound},
      {"./SRC/../src/LIB/", "./Src/../Src/Lib/", PathLookup::kFound},
      {"SRC/NEW.C", "Src/NEW.C", PathLookup::kLastMissing},
      {"SRC/NOPE/X.C", "Src/NOPE/X.C", PathLookup::kFolderMissing},
      {"SRC/MAIN.C/X", "Src/main.c/X", PathLookup::kFolderMissing},
      {"NOPE/../SRC", "NOPE/../SRC", PathLookup::kFolderMissing},
      // an exact name wins; among other spellings the first in byte order
      {"dup/Foo", "dup/Foo", PathLookup::kFound},
      {"dup/fOO", "dup/FOO", PathLookup::kFound},
      {"", "", PathLookup::kFound},
  };
  for (const auto& r : rows) {
    char name[kHostNameSize];
    std::strcpy(name, r.given);
    EXPECT_EQ(resolve_host_name(name), r.lookup) << r.given;
    EXPECT_STREQ(name, r.host) << r.given;
  }
}

TEST_F(Lookup, TranslatesTheGemdosNameFirst) {
  machine::clear_memory();
  machine::write_guest_string(0x7000, "C:SRC\\LIB\\UTIL.S");
  char name[kHostNameSize];
  EXPECT_EQ(resolve_host_path(0x7000, name), PathLookup::kFound);
  EXPECT_STREQ(name, "Src/Lib/Util.S");
  std::string absolute = (dir_ / "SRC" / "MAIN.C").relative_path().string();
  absolute.insert(absolute.begin(), '\\');
  machine::write_guest_string(0x7000, absolute.c_str());
  EXPECT_EQ(resolve_host_path(0x7000, name), PathLookup::kFound);
  EXPECT_EQ(std::string(name), (dir_ / "Src" / "main.c").string());
}

}  // namespace
