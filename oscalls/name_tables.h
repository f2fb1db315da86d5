// Published names of GEMDOS, XBIOS and BIOS calls, for "UNHANDLED" messages.
#pragma once

#include <cstdint>

namespace oscalls {

struct OsCallName {
  uint16_t number;
  char name[32];  // the name padded with spaces to 31 characters, then NUL
};

struct OsCallNameTable {
  const OsCallName* rows;
  unsigned count;
};

extern const OsCallNameTable kGemdosNames;
extern const OsCallNameTable kXbiosNames;
extern const OsCallNameTable kBiosNames;

// First row of the table with this number, or null.
const OsCallName* find_call_name(const OsCallNameTable& table, uint32_t number);

}  // namespace oscalls
