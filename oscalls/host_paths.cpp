#include "oscalls/host_paths.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "machine/emu_memory.h"
#include "oscalls/date_time.h"

namespace oscalls {

namespace {

char ascii_upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool same_ignoring_case(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  return true;
}

bool is_folder(const char* host_name) {
  struct stat st;
  return ::stat(host_name, &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder that holds the part starting at `start` of `name`.
void parent_of(const char* name, size_t start, char (&folder)[kHostNameSize]) {
  if (start == 0) {
    std::strcpy(folder, ".");
  } else if (start == 1) {
    std::strcpy(folder, "/");
  } else {
    std::memcpy(folder, name, start - 1);
    folder[start - 1] = 0;
  }
}

// Looks for an entry of `folder` named like name[start, start + length) in
// any case and writes it over that part; false when there is none. Of several
// (FOO and foo beside each other) the first in byte order wins, so the
// answer does not depend on the order the host lists the folder in.
bool match_in_folder(const char* folder, char* part, size_t length) {
  DIR* dir = ::opendir(folder);
  if (!dir) return false;
  char best[kHostNameSize];
  bool found = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strlen(entry->d_name) != length) continue;
    if (!same_ignoring_case(entry->d_name, part, length)) continue;
    if (found && std::strcmp(entry->d_name, best) >= 0) continue;
    std::memcpy(best, entry->d_name, length + 1);
    found = true;
  }
  ::closedir(dir);
  if (found) std::memcpy(part, best, length);
  return found;
}

// GEMDOS keeps a name and its extension apart, so "HELLO." is HELLO with
// an empty extension: the final dots of every part of a name are dropped,
// for the name a file is created under as for the name it is looked up by.
// "." and ".." keep their meaning.
void drop_final_dots(char* name) {
  size_t out = 0, start = 0;
  for (;;) {
    size_t end = start;
    while (name[end] != 0 && name[end] != '/') ++end;
    size_t kept = end;
    while (kept > start && name[kept - 1] == '.') --kept;
    if (kept == start) kept = end;  // dots alone
    std::memmove(name + out, name + start, kept - start);
    out += kept - start;
    if (name[end] == 0) break;
    name[out++] = '/';
    start = end + 1;
  }
  name[out] = 0;
}

}  // namespace

void translate_path(uint32_t path, char (&host_name)[kHostNameSize]) {
  uint32_t s = path;
  if (machine::peek8(s + 1) == ':') s += 2;
  for (uint32_t i = 0; i < kHostNameSize - 1; ++i) {
    uint32_t c = machine::peek8(s + i);
    if (c == '\\')
      c = '/';
    else if (c == 0x1A)
      c = ' ';
    host_name[i] = static_cast<char>(c);
  }
  host_name[kHostNameSize - 1] = 0;
  drop_final_dots(host_name);
}

PathLookup resolve_host_name(char (&name)[kHostNameSize]) {
  size_t start = 0;
  for (;;) {
    size_t end = start;
    while (name[end] != 0 && name[end] != '/') ++end;
    const bool last = name[end] == 0;
    const size_t length = end - start;
    const bool plain = length > 0 && !(length == 1 && name[start] == '.') &&
                       !(length == 2 && name[start] == '.' && name[start + 1] == '.');
    if (plain) {
      const char saved = name[end];
      name[end] = 0;
      struct stat st;
      bool there = ::stat(name, &st) == 0;
      if (!there) {
        char folder[kHostNameSize];
        parent_of(name, start, folder);
        there = match_in_folder(folder, name + start, length);
      }
      const bool folder_ok = last || is_folder(name);
      name[end] = saved;
      if (!there) return last ? PathLookup::kLastMissing : PathLookup::kFolderMissing;
      if (!folder_ok) return PathLookup::kFolderMissing;
    } else if (!last && length > 0) {
      // "." and ".." need the folder they name to exist as well.
      const char saved = name[end];
      name[end] = 0;
      const bool ok = is_folder(name);
      name[end] = saved;
      if (!ok) return PathLookup::kFolderMissing;
    }
    if (last) break;
    start = end + 1;
  }
  return PathLookup::kFound;
}

PathLookup resolve_host_path(uint32_t guest_path, char (&host_name)[kHostNameSize]) {
  translate_path(guest_path, host_name);
  return resolve_host_name(host_name);
}

int32_t lookup_error(PathLookup lookup) {
  switch (lookup) {
    case PathLookup::kFound:
      return 0;
    case PathLookup::kLastMissing:
      return kFileNotFound;
    case PathLookup::kFolderMissing:
      return kPathNotFound;
  }
  return kPathNotFound;
}

uint32_t host_attributes(const char* host_name, const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return kAttrFolder;
  // The owner's write bit counts even where the host would let this user
  // write anyway (as root), so the attribute a program sets is the one it
  // reads back.
  if (!(st.st_mode & S_IWUSR) || ::access(host_name, W_OK) != 0) return kAttrReadOnly;
  return 0;
}

void gemdos_stamp(std::time_t when, uint16_t& time, uint16_t& date) {
  std::tm t{};
  if (!::localtime_r(&when, &t) || t.tm_year < 80) {
    time = 0;
    date = (1 << 5) | 1;
    return;
  }
  if (t.tm_year > 207) {
    time = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
    date = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
    return;
  }
  time = static_cast<uint16_t>(pack_gemdos_time(t));
  date = static_cast<uint16_t>(pack_gemdos_date(t));
}

int32_t gemdos_error_from_errno(int err, int32_t not_found) {
  switch (err) {
    case ENOENT:
      return not_found;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kPathNotFound;
    case EMFILE:
    case ENFILE:
      return kNoHandleLeft;
    default:
      return kAccessDenied;
  }
}

}  // namespace oscalls
