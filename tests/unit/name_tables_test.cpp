// The GEMDOS, XBIOS and BIOS name tables, their lookup and the
// unhandled-call message built from them.
#include "oscalls/name_tables.h"

#include <gtest/gtest.h>

#include <string>

#include "oscalls/bios_xbios.h"
#include "oscalls/gemdos.h"

namespace {

using namespace oscalls;

std::string padded(const char* name) {
  std::string s(name);
  s.resize(31, ' ');
  return s;
}

TEST(NameTable, RowsAreInOrderWithNamesPaddedTo31) {
  const struct {
    const OsCallNameTable* table;
    unsigned rows;
  } tables[] = {{&kGemdosNames, 195}, {&kXbiosNames, 111}, {&kBiosNames, 12}};
  for (const auto& t : tables) {
    ASSERT_EQ(t.table->count, t.rows);
    for (unsigned i = 0; i < t.table->count; ++i) {
      const std::string field(t.table->rows[i].name);
      const size_t end = field.find(' ');
      EXPECT_EQ(field.size(), 31u) << field;
      EXPECT_NE(end, 0u) << "row " << i;
      EXPECT_EQ(field.find_first_not_of(' ', end == std::string::npos ? 31 : end),
                std::string::npos)
          << field;
      EXPECT_TRUE(i == 0 || t.table->rows[i - 1].number <= t.table->rows[i].number) << field;
    }
  }
}

struct LookupCase {
  const OsCallNameTable* table;
  uint32_t number;
  const char* name;  // null: no row
};

class NameLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(NameLookup, FindsTheFirstRowWithTheNumber) {
  const OsCallName* row = find_call_name(*GetParam().table, GetParam().number);
  if (!GetParam().name) {
    EXPECT_EQ(row, nullptr);
  } else {
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(std::string(row->name), padded(GetParam().name));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NameLookup,
    ::testing::Values(
        LookupCase{&kGemdosNames, 0x0000, "Pterm0"}, LookupCase{&kGemdosNames, 0x0001, "Cconin"},
        LookupCase{&kGemdosNames, 0x014A, "Scookie"}, LookupCase{&kGemdosNames, 0x014B, "Fstat64"},
        LookupCase{&kGemdosNames, 0x0183, "Fdirfd"}, LookupCase{&kGemdosNames, 0x0050, nullptr},
        LookupCase{&kGemdosNames, 0x10000, nullptr}, LookupCase{&kXbiosNames, 0x0005, "Setscreen"},
        LookupCase{&kXbiosNames, 0x0006, "Setpalette"},
        LookupCase{&kXbiosNames, 0x0071, "Dsp_RequestUniqueAbility"},
        LookupCase{&kXbiosNames, 0x0096, "VsetMask"}, LookupCase{&kXbiosNames, 0x0028, nullptr},
        LookupCase{&kBiosNames, 0x0003, "Bconout"}, LookupCase{&kBiosNames, 0x000C, nullptr}));

TEST(UnhandledCallMessage, NamesTheCallWhenTheTableHasOne) {
  const struct {
    const char* layer;
    const OsCallNameTable* table;
    uint32_t number;
    std::string output;
  } rows[] = {
      {"GEMDOS", &kGemdosNames, 0x0001, "UNHANDLED GEMDOS CALL 0001 " + padded("Cconin") + "\n"},
      {"XBIOS", &kXbiosNames, 0x0005, "UNHANDLED XBIOS CALL 0005 " + padded("Setscreen") + "\n"},
      {"BIOS", &kBiosNames, 0x000C, "UNHANDLED BIOS CALL 000c \n"},
  };
  for (const auto& r : rows) {
    testing::internal::CaptureStdout();
    print_unhandled_call(r.layer, *r.table, r.number);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), r.output);
  }
}

// The dispatch tables name their rows; those names must be the published
// ones, so a row with a mistyped number shows up here.
TEST(DispatchTables, EveryHandledCallHasItsPublishedName) {
  const struct {
    std::span<const OsCall> calls;
    const OsCallNameTable* names;
    size_t count;
  } layers[] = {{gemdos_calls(), &kGemdosNames, 50},
                {bios_calls(), &kBiosNames, 8},
                {xbios_calls(), &kXbiosNames, 3}};
  for (const auto& layer : layers) {
    EXPECT_EQ(layer.calls.size(), layer.count);
    for (const OsCall& c : layer.calls) {
      const OsCallName* row = find_call_name(*layer.names, c.number);
      ASSERT_NE(row, nullptr) << c.name;
      EXPECT_EQ(std::string(row->name), padded(c.name));
    }
  }
}

}  // namespace
