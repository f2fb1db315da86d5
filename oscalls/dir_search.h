// Fsfirst/Fsnext: folder searches with GEMDOS wildcards, their answers laid
// out in the program's DTA, and the DTA address itself.
//
// The DTA's first 21 bytes are the OS's own. Here they hold a tag, the index
// of the search in a small host-side table and that entry's generation, so
// Fsnext finds its search again and a stale or foreign DTA finds nothing.
// The search remembers its folder, pattern and the last name it gave, and
// each Fsnext lists the folder again for the next name in byte order: a
// program may delete or create files between the calls.
#pragma once

#include <cstdint>

#include "machine/basepage.h"
#include "machine/os_rom_symbols.h"

namespace oscalls {

// DTA layout.
inline constexpr uint32_t kDtaAttribute = 21;
inline constexpr uint32_t kDtaTime = 22;
inline constexpr uint32_t kDtaDate = 24;
inline constexpr uint32_t kDtaSize = 26;
inline constexpr uint32_t kDtaName = 30;
inline constexpr uint32_t kDtaNameBytes = 14;
inline constexpr uint32_t kDtaBytes = 44;

// The default DTA, as the OS gives a program before its first Fsetdta: the
// command-line area of the first program's basepage.
inline constexpr uint32_t kDefaultDta = machine::kFirstBasepage + machine::kBasepageCommandLine;

// Forgets every search and puts the DTA back to its default.
void reset_dir_search();
void set_dta(uint32_t address);
uint32_t dta();

// A host name in the GEMDOS 8.3 form, upper case ("readme.txt" gives
// "README.TXT"); false for a name that has none: more than 8 characters
// before the dot or 3 after it, more than one dot, nothing before the dot.
bool gemdos_short_name(const char* host_name, char (&out)[kDtaNameBytes]);

// GEMDOS wildcard matching of an 8.3 name: the pattern's name and extension
// are compared field by field, each padded to 8 and 3 characters; '?'
// matches any character or none, '*' fills the rest of its field with '?'.
// So "*.*" matches every name, "*" only names without an extension. Letters
// are compared without regard to case.
bool gemdos_wildcard_match(const char* pattern, const char* short_name);

// What Fsfirst/Fsnext write into the DTA for one entry.
struct DtaEntry {
  uint8_t attributes;
  uint16_t time, date;
  uint32_t size;
  char name[kDtaNameBytes];
};
void write_dta_entry(uint32_t dta_address, const DtaEntry& entry);

// The calls: 0 with the DTA filled; -33 when nothing matches (Fsfirst), -49
// when there is nothing more (Fsnext), -34 for a folder that is not there.
int32_t search_first(uint32_t pattern, uint32_t attributes);
int32_t search_next();

}  // namespace oscalls
