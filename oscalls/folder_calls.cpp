#include "oscalls/folder_calls.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "machine/emu_memory.h"
#include "oscalls/host_files.h"
#include "oscalls/host_paths.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

namespace {

constexpr uint32_t kDriveC = 2;
constexpr uint32_t kSectorBytes = 512, kClusterSectors = 2;
constexpr uint64_t kClusterBytes = kSectorBytes * kClusterSectors;

// Drive numbers of Dfree and Dgetpath: 0 the current drive, 3 drive C.
bool names_drive_c(uint32_t drive) {
  return drive == 0 || drive == kDriveC + 1;
}

// A folder the program named that must exist: 0 with `name` filled, or -34.
int32_t existing_folder(uint32_t path, char (&name)[kHostNameSize], struct stat& st) {
  if (resolve_host_path(path, name) != PathLookup::kFound) return kPathNotFound;
  if (name[0] == 0) std::strcpy(name, ".");  // "" and "C:" name the current folder
  if (::stat(name, &st) != 0 || !S_ISDIR(st.st_mode)) return kPathNotFound;
  return 0;
}

}  // namespace

DfreeInfo dfree_info(uint64_t free_bytes, uint64_t total_bytes) {
  const uint64_t cap = kMaxDfreeClusters;
  return DfreeInfo{static_cast<uint32_t>(std::min(free_bytes / kClusterBytes, cap)),
                   static_cast<uint32_t>(std::min(total_bytes / kClusterBytes, cap)), kSectorBytes,
                   kClusterSectors};
}

uint32_t drive_map() {
  return 1u << kDriveC;
}

// Only drive C exists; selecting any drive changes nothing and answers the
// bitmap of drives.
void dsetdrv(Word) {
  set_d0(drive_map());
}

void dgetdrv() {
  set_d0(kDriveC);
}

void dfree(Pointer buffer, Word drive) {
  struct statvfs fs;
  if (!names_drive_c(drive) || ::statvfs(".", &fs) != 0) {
    set_d0_signed(kInvalidDrive);
    return;
  }
  const DfreeInfo info =
      dfree_info(uint64_t{fs.f_bavail} * fs.f_frsize, uint64_t{fs.f_blocks} * fs.f_frsize);
  machine::poke32(buffer, info.free_clusters);
  machine::poke32(buffer + 4, info.total_clusters);
  machine::poke32(buffer + 8, info.sector_bytes);
  machine::poke32(buffer + 12, info.cluster_sectors);
  set_d0(0);
}

void dcreate(StringPointer path) {
  char name[kHostNameSize];
  const PathLookup lookup = resolve_host_path(path, name);
  if (lookup != PathLookup::kLastMissing) {
    set_d0_signed(lookup == PathLookup::kFound ? kAccessDenied : kPathNotFound);
    return;
  }
  set_d0_signed(::mkdir(name, 0777) == 0 ? 0 : gemdos_error_from_errno(errno, kPathNotFound));
}

// Empty folders only, and never the current one.
void ddelete(StringPointer path) {
  char name[kHostNameSize];
  struct stat st, current;
  int32_t result = existing_folder(path, name, st);
  if (result == 0) {
    if (::stat(".", &current) == 0 && current.st_dev == st.st_dev && current.st_ino == st.st_ino)
      result = kAccessDenied;
    else if (::rmdir(name) != 0)
      result = gemdos_error_from_errno(errno, kPathNotFound);
  }
  set_d0_signed(result);
}

// The current folder is the host's working directory, so every relative
// name (and a child program's) goes on from there.
void dsetpath(StringPointer path) {
  char name[kHostNameSize];
  struct stat st;
  int32_t result = existing_folder(path, name, st);
  if (result == 0 && ::chdir(name) != 0) result = gemdos_error_from_errno(errno, kPathNotFound);
  set_d0_signed(result);
}

// The working directory in GEMDOS form: the host path with '\' for '/',
// which names the same folder again when the program passes it back.
void dgetpath(Pointer buffer, Word drive) {
  char cwd[kHostNameSize];
  if (!names_drive_c(drive) || !::getcwd(cwd, sizeof cwd)) {
    set_d0_signed(kInvalidDrive);
    return;
  }
  std::replace(cwd, cwd + std::strlen(cwd), '/', '\\');
  machine::write_guest_string(buffer, cwd);
  set_d0(0);
}

}  // namespace oscalls
