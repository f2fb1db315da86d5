// Published names of GEMDOS, XBIOS and BIOS calls, for "UNHANDLED" messages.
#pragma once

#include <cstdint>

namespace oscalls {

inline constexpr unsigned kCallNameWidth = 31;

struct OsCallName {
  uint16_t number;
  char name[kCallNameWidth + 1];  // the name padded with spaces to 31 characters, then NUL
};

struct OsCallNameTable {
  const OsCallName* rows;
  unsigned count;
};

extern const OsCallNameTable kGemdosNames;
extern const OsCallNameTable kXbiosNames;
extern const OsCallNameTable kBiosNames;

// First row of the table with this number, or null. Two numbers have two
// rows each; the first one names the call.
const OsCallName* find_call_name(const OsCallNameTable& table, uint32_t number);

// The message for a call number a layer does not handle: "UNHANDLED <layer>
// CALL %04x ", the padded name when the table has one, and a newline.
void print_unhandled_call(const char* layer, const OsCallNameTable& table, uint32_t number);

}  // namespace oscalls
