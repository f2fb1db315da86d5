#include "oscalls/dir_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "machine/emu_memory.h"
#include "oscalls/host_paths.h"

namespace oscalls {

namespace {

constexpr unsigned kSearches = 8;
constexpr uint8_t kTag[4] = {'v', 'S', 'r', 'c'};
constexpr uint32_t kTagAt = 0, kIndexAt = 4, kGenerationAt = 6;

struct Search {
  uint8_t in_use;
  uint8_t attributes;
  uint16_t generation;
  uint32_t dta;
  uint32_t last_used;
  char folder[kHostNameSize];
  char pattern[kHostNameSize];
  char last[kHostNameSize];  // host name of the last answer, "" before the first
};

Search searches[kSearches];
uint32_t use_clock;
uint32_t dta_address = kDefaultDta;

char ascii_upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A pattern or a name as the 11 characters of its two padded fields.
void to_fields(const char* text, bool pattern, char (&fields)[11]) {
  std::memset(fields, ' ', sizeof fields);
  const char* dot = std::strchr(text, '.');
  const char* parts[2] = {text, dot ? dot + 1 : ""};
  const size_t lengths[2] = {dot ? static_cast<size_t>(dot - text) : std::strlen(text),
                             dot ? std::strlen(dot + 1) : 0};
  constexpr size_t kWidth[2] = {8, 3}, kStart[2] = {0, 8};
  for (int f = 0; f < 2; ++f) {
    for (size_t i = 0; i < kWidth[f] && i < lengths[f]; ++i) {
      const char c = parts[f][i];
      if (pattern && c == '*') {
        for (size_t j = i; j < kWidth[f]; ++j) fields[kStart[f] + j] = '?';
        break;
      }
      fields[kStart[f] + i] = ascii_upper(c);
    }
  }
}

bool matches_attributes(uint32_t entry, uint32_t wanted) {
  // Plain and read-only files always match; folders, hidden and system
  // entries only when asked for.
  constexpr uint32_t kOnlyWhenAsked = kAttrFolder | kAttrHidden | kAttrSystem;
  return (entry & kOnlyWhenAsked & ~wanted) == 0;
}

// The next entry after `s.last` in byte order that matches; fills the DTA.
bool next_entry(Search& s) {
  DIR* dir = ::opendir(s.folder);
  if (!dir) return false;
  char best[kHostNameSize];
  DtaEntry best_entry{};
  bool found = false;
  const size_t folder_length = std::strlen(s.folder);
  while (const dirent* e = ::readdir(dir)) {
    const char* name = e->d_name;
    // "." and ".." are never answered: they are not names a program can
    // create, and a tree walk that forgets to skip them would never end.
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (std::strcmp(name, s.last) <= 0) continue;
    if (found && std::strcmp(name, best) >= 0) continue;
    DtaEntry entry{};
    if (!gemdos_short_name(name, entry.name)) continue;
    if (!gemdos_wildcard_match(s.pattern, entry.name)) continue;
    const size_t length = std::strlen(name);
    if (folder_length + 1 + length >= kHostNameSize) continue;
    char path[kHostNameSize];
    std::memcpy(path, s.folder, folder_length);
    path[folder_length] = '/';
    std::memcpy(path + folder_length + 1, name, length + 1);
    struct stat st;
    if (::stat(path, &st) != 0) continue;
    entry.attributes = static_cast<uint8_t>(host_attributes(path, st));
    if (!matches_attributes(entry.attributes, s.attributes)) continue;
    gemdos_stamp(st.st_mtime, entry.time, entry.date);
    entry.size = S_ISDIR(st.st_mode)                ? 0
                 : st.st_size > int64_t{0x7FFFFFFF} ? 0x7FFFFFFFu
                                                    : static_cast<uint32_t>(st.st_size);
    std::memcpy(best, name, length + 1);
    best_entry = entry;
    found = true;
  }
  ::closedir(dir);
  if (!found) return false;
  std::strcpy(s.last, best);
  s.last_used = ++use_clock;
  write_dta_entry(s.dta, best_entry);
  return true;
}

// The search a DTA is tagged with, if that search has not been replaced
// since. A program may copy its DTA elsewhere and go on from the copy; the
// search then answers into the copy.
Search* tagged_search(uint32_t at) {
  for (uint32_t i = 0; i < sizeof kTag; ++i)
    if (machine::peek8(at + kTagAt + i) != kTag[i]) return nullptr;
  const uint32_t index = machine::peek8(at + kIndexAt);
  if (index >= kSearches) return nullptr;
  Search& s = searches[index];
  if (!s.in_use || s.generation != machine::peek16(at + kGenerationAt)) return nullptr;
  s.dta = at & machine::kAddressMask;
  return &s;
}

// A slot for a new search from `at`: the one that DTA had, else a free one,
// else the one used longest ago (a program that abandons searches does not
// run out of them).
Search& slot_for(uint32_t at) {
  if (Search* s = tagged_search(at)) return *s;
  Search* pick = &searches[0];
  for (Search& s : searches) {
    if (!s.in_use) return s;
    if (s.last_used < pick->last_used) pick = &s;
  }
  return *pick;
}

}  // namespace

void reset_dir_search() {
  for (Search& s : searches) s = Search{};
  use_clock = 0;
  dta_address = kDefaultDta;
}

void set_dta(uint32_t address) {
  dta_address = address & machine::kAddressMask;
}
uint32_t dta() {
  return dta_address;
}

bool gemdos_short_name(const char* host_name, char (&out)[kDtaNameBytes]) {
  const char* dot = std::strchr(host_name, '.');
  const size_t length = std::strlen(host_name);
  const size_t base = dot ? static_cast<size_t>(dot - host_name) : length;
  if (base == 0 || base > 8) return false;
  if (dot && (std::strchr(dot + 1, '.') || length - base - 1 > 3)) return false;
  std::memset(out, 0, sizeof out);
  for (size_t i = 0; i < length; ++i) out[i] = ascii_upper(host_name[i]);
  // "NAME." has an empty extension; GEMDOS shows it without the dot.
  if (dot && length == base + 1) out[base] = 0;
  return true;
}

bool gemdos_wildcard_match(const char* pattern, const char* short_name) {
  char want[11], have[11];
  to_fields(pattern, true, want);
  to_fields(short_name, false, have);
  for (int i = 0; i < 11; ++i)
    if (want[i] != '?' && want[i] != have[i]) return false;
  return true;
}

void write_dta_entry(uint32_t at, const DtaEntry& entry) {
  machine::poke8(at + kDtaAttribute, entry.attributes);
  machine::poke16(at + kDtaTime, entry.time);
  machine::poke16(at + kDtaDate, entry.date);
  machine::poke32(at + kDtaSize, entry.size);
  machine::copy_to_guest(at + kDtaName, entry.name, kDtaNameBytes);
}

int32_t search_first(uint32_t pattern_address, uint32_t attributes) {
  char name[kHostNameSize];
  translate_path(pattern_address, name);
  char* slash = std::strrchr(name, '/');
  const char* pattern = slash ? slash + 1 : name;
  char folder[kHostNameSize];
  if (!slash) {
    std::strcpy(folder, ".");
  } else if (slash == name) {
    std::strcpy(folder, "/");
  } else {
    *slash = 0;
    std::strcpy(folder, name);
  }
  if (resolve_host_name(folder) != PathLookup::kFound) return kPathNotFound;
  struct stat st;
  if (::stat(folder, &st) != 0 || !S_ISDIR(st.st_mode)) return kPathNotFound;
  // Only a search for exactly the volume-label bit is a label search, and
  // the host keeps no label. Any other combination with that bit (a shell
  // asks with 0xFFFF, an archiver with 0xBF) finds files and folders as its
  // other bits say.
  if (attributes == kAttrVolume) return kFileNotFound;
  if (*pattern == 0) return kFileNotFound;

  Search& s = slot_for(dta_address);
  const uint16_t generation = static_cast<uint16_t>(s.generation + 1);
  s = Search{};
  s.in_use = 1;
  s.generation = generation;
  s.attributes = static_cast<uint8_t>(attributes);
  s.dta = dta_address;
  std::strcpy(s.folder, folder);
  std::memcpy(s.pattern, pattern, std::strlen(pattern) + 1);  // both within kHostNameSize
  const uint32_t index = static_cast<uint32_t>(&s - searches);
  machine::copy_to_guest(dta_address + kTagAt, kTag, sizeof kTag);
  machine::poke8(dta_address + kIndexAt, index);
  machine::poke16(dta_address + kGenerationAt, generation);
  if (next_entry(s)) return 0;
  s.in_use = 0;
  return kFileNotFound;
}

int32_t search_next() {
  Search* s = tagged_search(dta_address);
  if (!s) return kNoMoreFiles;
  if (next_entry(*s)) return 0;
  s->in_use = 0;
  return kNoMoreFiles;
}

}  // namespace oscalls
