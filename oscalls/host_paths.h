// GEMDOS names to host paths, with the case-insensitive lookup GEMDOS names
// need on a case-sensitive host, and the host facts the file calls report in
// GEMDOS terms (attributes, error numbers).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>

#include "oscalls/host_files.h"

namespace oscalls {

// GEMDOS error numbers of the name-taking calls.
inline constexpr int32_t kPathNotFound = -34;
inline constexpr int32_t kAccessDenied = -36;
inline constexpr int32_t kNoMoreFiles = -49;

// GEMDOS attribute bits.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrVolume = 0x08;
inline constexpr uint32_t kAttrFolder = 0x10;

// GEMDOS name at guest address `path` to host name: a two-byte drive prefix
// ("X:") is dropped, '\' becomes '/', 0x1A becomes a space, the name is cut
// at 255 characters, and the final dots of each part are dropped.
void translate_path(uint32_t path, char (&host_name)[kHostNameSize]);

// How far the lookup got.
enum class PathLookup : uint8_t {
  kFound,          // every part exists on the host (under the name now in host_name)
  kLastMissing,    // the folders exist, the last part does not
  kFolderMissing,  // a folder on the way does not exist (or is not a folder)
};

// Translates the GEMDOS name at `guest_path` (see translate_path) and then
// looks each part up in the folder before it: a part that does not exist
// exactly as written is matched without regard to ASCII case against that
// folder's entries (the first match in byte order of the host names). Only
// the folders the name passes through are listed. `host_name` receives the
// host path to use; its length is that of the translated name. A last part
// that is missing stays as the program wrote it: that is the name a new file
// or folder gets. Opening callers answer kLastMissing as -33, creating ones
// go ahead.
PathLookup resolve_host_path(uint32_t guest_path, char (&host_name)[kHostNameSize]);

// The same lookup on a host name already translated, in place.
PathLookup resolve_host_name(char (&host_name)[kHostNameSize]);

// The lookup's verdict as a GEMDOS error: 0 when found, -33 for a missing
// last part, -34 for a missing folder.
int32_t lookup_error(PathLookup lookup);

// GEMDOS attributes of a host entry: 0x10 for a folder, 0x01 for a file the
// user cannot write (no owner write bit, or the host refuses writing).
uint32_t host_attributes(const char* host_name, const struct stat& st);

// A host time as GEMDOS packs it, in local time. Times before 1980, which
// the packing cannot hold, are 1980-01-01 00:00:00; after 2107, the end of
// 2107.
void gemdos_stamp(std::time_t when, uint16_t& time, uint16_t& date);

// A failed host call's errno as a GEMDOS error number.
int32_t gemdos_error_from_errno(int err, int32_t not_found = kFileNotFound);

}  // namespace oscalls
