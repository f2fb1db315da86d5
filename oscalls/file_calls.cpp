#include "oscalls/file_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "machine/emu_memory.h"
#include "oscalls/dir_search.h"
#include "oscalls/host_files.h"
#include "oscalls/host_paths.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

namespace {

// Looks up a name that must exist; answers 0 with `name` and `st` filled,
// or the GEMDOS error.
int32_t existing_entry(uint32_t path, char (&name)[kHostNameSize], struct stat& st) {
  const PathLookup lookup = resolve_host_path(path, name);
  if (lookup != PathLookup::kFound) return lookup_error(lookup);
  if (::stat(name, &st) != 0) return gemdos_error_from_errno(errno);
  return 0;
}

// GEMDOS packed time and date to the host's clock, in local time.
std::time_t unpack_gemdos(uint32_t time, uint32_t date) {
  std::tm t{};
  t.tm_sec = static_cast<int>(time & 31) * 2;
  t.tm_min = static_cast<int>(time >> 5) & 63;
  t.tm_hour = static_cast<int>(time >> 11) & 31;
  t.tm_mday = static_cast<int>(date & 31);
  t.tm_mon = (static_cast<int>(date >> 5) & 15) - 1;
  t.tm_year = (static_cast<int>(date >> 9) & 127) + 80;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

}  // namespace

void fsetdta(Pointer dta) {
  set_dta(dta);
}
void fgetdta() {
  set_d0(dta());
}

void fcreate(StringPointer path, Word attributes) {
  set_d0_signed(file_create(path, attributes));
}

void fopen_call(StringPointer path, Word mode) {
  set_d0_signed(file_open(path, mode));
}

void fclose_call(SignedWord handle) {
  set_d0_signed(file_close(handle));
}

void fread_call(SignedWord handle, Long count, Pointer buffer) {
  set_d0_signed(file_read(handle, static_cast<int32_t>(count), buffer));
}

void fwrite_call(SignedWord handle, Long count, Pointer buffer) {
  set_d0_signed(file_write(handle, static_cast<int32_t>(count), buffer));
}

void fseek_call(Long offset, SignedWord handle, Word mode) {
  set_d0_signed(file_seek(static_cast<int32_t>(offset), handle, static_cast<int16_t>(mode)));
}

void fdelete(StringPointer path) {
  char name[kHostNameSize];
  struct stat st;
  int32_t result = existing_entry(path, name, st);
  if (result == 0) {
    // Folders go with Ddelete; read-only files are kept, as the OS keeps them.
    if (host_attributes(name, st) != 0)
      result = kAccessDenied;
    else if (::unlink(name) != 0)
      result = gemdos_error_from_errno(errno);
  }
  set_d0_signed(result);
}

void frename(Word /*reserved*/, StringPointer old_path, StringPointer new_path) {
  char old_name[kHostNameSize];
  struct stat old_st;
  if (const int32_t error = existing_entry(old_path, old_name, old_st)) {
    set_d0_signed(error);
    return;
  }
  char new_name[kHostNameSize], as_given[kHostNameSize];
  translate_path(new_path, as_given);
  std::memcpy(new_name, as_given, sizeof new_name);
  const PathLookup lookup = resolve_host_name(new_name);
  if (lookup == PathLookup::kFolderMissing) {
    set_d0_signed(kPathNotFound);
    return;
  }
  if (lookup == PathLookup::kFound) {
    // An existing name is refused, except the file itself under another
    // case ("foo.txt" to "FOO.TXT"): then the new case is the one written.
    struct stat new_st;
    const bool same_file = ::stat(new_name, &new_st) == 0 && new_st.st_dev == old_st.st_dev &&
                           new_st.st_ino == old_st.st_ino;
    if (!same_file) {
      set_d0_signed(kAccessDenied);
      return;
    }
    const char* last = std::strrchr(as_given, '/');
    const size_t from = last ? static_cast<size_t>(last - as_given) + 1 : 0;
    std::strcpy(new_name + from, as_given + from);
  }
  set_d0_signed(::rename(old_name, new_name) == 0 ? 0 : gemdos_error_from_errno(errno));
}

// Reads 0x10 for a folder, 0x01 for a file the user cannot write, 0 for
// any other file. Setting changes the read-only bit of a file and nothing
// else; the answer is the attributes in effect afterwards.
void fattrib(StringPointer path, Word wflag, Word wanted) {
  char name[kHostNameSize];
  struct stat st;
  if (const int32_t error = existing_entry(path, name, st)) {
    set_d0_signed(error);
    return;
  }
  if (wflag == 1 && !S_ISDIR(st.st_mode)) {
    const mode_t mode = (wanted & kAttrReadOnly) ? (st.st_mode & 07555) : (st.st_mode | S_IWUSR);
    if (::chmod(name, mode & 07777) != 0 || ::stat(name, &st) != 0) {
      set_d0_signed(gemdos_error_from_errno(errno));
      return;
    }
  }
  set_d0(host_attributes(name, st));
}

// flag 0 reads the file's modification time into the two words at buffer
// (time, then date); flag 1 sets it from them. A device (a device handle, or
// a standard handle that is one) has no directory entry and so no time: it
// answers -37 as a handle not open does, which is what C runtimes without
// the later OS calls take for "a terminal" when they build a file status.
void fdatime(Pointer buffer, SignedWord handle, Word flag) {
  HostFileSlot* slot = find_open_file(handle);
  if (!slot) {
    set_d0_signed(kInvalidHandle);
    return;
  }
  const int fd = ::fileno(slot->stream);
  if (flag == 1) {
    const std::time_t when = unpack_gemdos(machine::peek16(buffer), machine::peek16(buffer + 2));
    // Data still buffered would move the time again when it is written.
    std::fflush(slot->stream);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
    set_d0_signed(when != -1 && ::futimens(fd, times) == 0 ? 0 : kAccessDenied);
    return;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    set_d0_signed(kAccessDenied);
    return;
  }
  uint16_t time, date;
  gemdos_stamp(st.st_mtime, time, date);
  machine::poke16(buffer, time);
  machine::poke16(buffer + 2, date);
  set_d0(0);
}

void fdup(SignedWord standard) {
  set_d0_signed(file_dup(standard));
}

void fforce(SignedWord standard, SignedWord other) {
  set_d0_signed(file_force(standard, other));
}

void fsfirst(StringPointer pattern, Word attributes) {
  set_d0_signed(search_first(pattern, attributes));
}

void fsnext() {
  set_d0_signed(search_next());
}

}  // namespace oscalls
