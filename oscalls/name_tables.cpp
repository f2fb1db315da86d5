#include "oscalls/name_tables.h"

namespace oscalls {

const OsCallNameTable kGemdosNames{nullptr, 0};
const OsCallNameTable kXbiosNames{nullptr, 0};
const OsCallNameTable kBiosNames{nullptr, 0};

const OsCallName* find_call_name(const OsCallNameTable& table, uint32_t number) {
  for (unsigned i = 0; i < table.count; ++i)
    if (table.rows[i].number == number) return &table.rows[i];
  return nullptr;
}

}  // namespace oscalls
