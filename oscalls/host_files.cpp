#include "oscalls/host_files.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "machine/emu_memory.h"
#include "oscalls/console.h"
#include "oscalls/console_output.h"
#include "oscalls/dir_search.h"
#include "oscalls/host_paths.h"

namespace oscalls {

HostFileSlot host_files[kHostFileSlots];
HostFileSlot forced_handles[kStandardHandles];
uint8_t bounce_buffer[kBounceBufferSize];

namespace {

constexpr HostFileSlot kFreeSlot{nullptr, 0, LastTransfer::kNone, CharDevice::kNone, 0};

// The device handles as the program's 16-bit words (-1, -2, -3), in the
// order of CharDevice after kNone, and as the long Fopen answers.
constexpr uint32_t kDeviceHandleWords[] = {0xFFFF, 0xFFFE, 0xFFFD};
constexpr const char* kDeviceNames[] = {"CON:", "AUX:", "PRN:"};

CharDevice device_of_handle(uint32_t handle) {
  for (size_t i = 0; i < std::size(kDeviceHandleWords); ++i)
    if (handle == kDeviceHandleWords[i]) return static_cast<CharDevice>(i + 1);
  return CharDevice::kNone;
}

int32_t device_handle(CharDevice device) {
  return -static_cast<int32_t>(device);
}

// The process level whose opens are being recorded (0: the first program).
uint8_t file_owner;

enum class HostOpen : uint8_t { kRead, kWriteExisting, kUpdate, kCreate };

// Fopen's modes; anything beyond the table opens nothing.
constexpr HostOpen kFopenModes[] = {HostOpen::kRead, HostOpen::kWriteExisting, HostOpen::kUpdate};

// A write-only stream on an existing file: the host's "w" modes all create or
// truncate, so the file is opened first and the stream put on top of it.
std::FILE* open_write_existing(const char* name) {
  int fd = ::open(name, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::FILE* stream = ::fdopen(fd, "wb");
  if (!stream) ::close(fd);
  return stream;
}

// Fopen mode 0. The original OS did not refuse writes through a handle
// opened for reading, and real programs rely on it (an assembler writes its
// temporary file that way), so the file is opened for update when the user
// may write it, and read-only otherwise.
std::FILE* open_read(const char* name) {
  struct stat st;
  if (::stat(name, &st) == 0 && host_attributes(name, st) == 0) {
    if (std::FILE* stream = std::fopen(name, "r+b")) return stream;
  }
  return std::fopen(name, "rb");
}

std::FILE* open_host(const char* name, HostOpen how) {
  switch (how) {
    case HostOpen::kRead:
      return open_read(name);
    case HostOpen::kWriteExisting:
      return open_write_existing(name);
    case HostOpen::kUpdate:
      return std::fopen(name, "r+b");
    case HostOpen::kCreate:
      return std::fopen(name, "wb");
  }
  return nullptr;
}

// The slot of a handle 16 to 31 that is open (on a file or a device).
HostFileSlot* open_file_slot(uint32_t handle) {
  const uint32_t index = handle - kFirstFileHandle;  // wraps for handles below 16
  if (index >= kHostFileSlots || !host_files[index].in_use) return nullptr;
  return &host_files[index];
}

HandleTarget target_of_slot(HostFileSlot& slot) {
  if (slot.stream) return HandleTarget{&slot, CharDevice::kNone};
  return HandleTarget{nullptr, slot.device};
}

bool stream_shared(const HostFileSlot* slot) {
  for (const HostFileSlot& other : host_files)
    if (&other != slot && other.in_use && other.stream == slot->stream) return true;
  for (const HostFileSlot& other : forced_handles)
    if (&other != slot && other.in_use && other.stream == slot->stream) return true;
  return false;
}

// GEMDOS "write fault": data the program wrote did not reach the host file.
constexpr int32_t kWriteFault = -10;

// Frees a slot; its stream is flushed and closed unless another slot still
// uses it. Answers -10 when data written through the stream was lost: an
// earlier flush that failed (the stream's error flag) or the final flush or
// close.
int32_t release_slot(HostFileSlot& slot) {
  int32_t result = 0;
  if (slot.stream && !stream_shared(&slot)) {
    const bool earlier_error = std::ferror(slot.stream) != 0;
    const bool closed = std::fclose(slot.stream) == 0;
    if (earlier_error || !closed) result = kWriteFault;
  }
  slot = kFreeSlot;
  return result;
}

// The direction is the stream's, so every slot on it learns of the change.
void note_transfer(std::FILE* stream, LastTransfer last) {
  for (HostFileSlot& s : host_files)
    if (s.in_use && s.stream == stream) s.last = last;
  for (HostFileSlot& s : forced_handles)
    if (s.in_use && s.stream == stream) s.last = last;
}

int32_t lowest_free_slot() {
  for (unsigned i = 0; i < kHostFileSlots; ++i)
    if (!host_files[i].in_use) return static_cast<int32_t>(i);
  return -1;
}

// Whether `how` may go ahead on the host entry found under `name`: writing
// opens are refused on read-only files and folders, reading ones on folders.
int32_t check_open(const char* name, PathLookup lookup, HostOpen how) {
  if (lookup == PathLookup::kFolderMissing) return kPathNotFound;
  if (lookup == PathLookup::kLastMissing) return how == HostOpen::kCreate ? 0 : kFileNotFound;
  struct stat st;
  if (::stat(name, &st) != 0) return gemdos_error_from_errno(errno);
  const uint32_t attributes = host_attributes(name, st);
  if (attributes & kAttrFolder) return how == HostOpen::kRead ? kFileNotFound : kAccessDenied;
  if ((attributes & kAttrReadOnly) && how != HostOpen::kRead) return kAccessDenied;
  return 0;
}

// Opens `path` into the lowest free slot. `how` is null for a GEMDOS mode
// that has no host meaning; that is only found out once a slot is free.
int32_t open_into_slot(uint32_t path, const HostOpen* how, uint32_t attributes = 0) {
  char name[kHostNameSize];
  translate_path(path, name);
  // A device needs no slot, and no host file of that name is made.
  if (const CharDevice device = device_named(name); device != CharDevice::kNone)
    return how ? device_handle(device) : kFileNotFound;
  const PathLookup lookup = resolve_host_name(name);
  const int32_t slot = lowest_free_slot();
  if (slot < 0) return kNoHandleLeft;
  if (!how) return kFileNotFound;
  if (const int32_t refused = check_open(name, lookup, *how)) return refused;
  std::FILE* stream = open_host(name, *how);
  if (!stream) return gemdos_error_from_errno(errno);
  // The read-only attribute of a new file is the host's: write bits off.
  // The stream stays writable, as the program's handle is.
  struct stat st;
  if (*how == HostOpen::kCreate && (attributes & kAttrReadOnly) &&
      ::fstat(::fileno(stream), &st) == 0)
    ::fchmod(::fileno(stream), st.st_mode & 07555);
  host_files[slot] = HostFileSlot{stream, 1, LastTransfer::kNone, CharDevice::kNone, file_owner};
  return slot + static_cast<int32_t>(kFirstFileHandle);
}

void begin_transfer(HostFileSlot& slot, LastTransfer next) {
  if (slot.last != LastTransfer::kNone && slot.last != next) std::fseek(slot.stream, 0, SEEK_CUR);
  if (slot.last != next) note_transfer(slot.stream, next);
}

bool read_only_stream(std::FILE* stream) {
  const int flags = ::fcntl(::fileno(stream), F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) == O_RDONLY;
}

// A slot for what `handle` refers to now (Fdup, Fforce): the file's slot
// copied (the stream is then shared), or one that stands for the device.
// False for a handle that refers to nothing.
bool copy_of_target(uint32_t handle, HostFileSlot& copy) {
  const HandleTarget target = resolve_handle(handle);
  if (target.file) {
    copy = *target.file;
    return true;
  }
  if (target.device == CharDevice::kNone) return false;
  copy = HostFileSlot{nullptr, 1, LastTransfer::kNone, target.device, file_owner};
  return true;
}

}  // namespace

void reset_host_files() {
  for (HostFileSlot& slot : host_files) slot = kFreeSlot;
  for (HostFileSlot& slot : forced_handles) slot = kFreeSlot;
  reset_dir_search();
  file_owner = 0;
}

void set_file_owner(uint8_t owner) {
  file_owner = owner;
}

void close_files_owned_by(uint8_t owner) {
  for (HostFileSlot& slot : host_files)
    if (slot.in_use && slot.owner == owner) release_slot(slot);
}

HandleTarget resolve_handle(uint32_t handle) {
  if (const CharDevice device = device_of_handle(handle); device != CharDevice::kNone)
    return HandleTarget{nullptr, device};
  if (handle < kStandardHandles) {
    HostFileSlot& forced = forced_handles[handle];
    return forced.in_use ? target_of_slot(forced) : HandleTarget{nullptr, CharDevice::kConsole};
  }
  if (HostFileSlot* slot = open_file_slot(handle)) return target_of_slot(*slot);
  return HandleTarget{nullptr, CharDevice::kNone};
}

HostFileSlot* find_open_file(uint32_t handle) {
  return resolve_handle(handle).file;
}

CharDevice device_named(const char* host_name) {
  for (size_t i = 0; i < std::size(kDeviceNames); ++i)
    if (::strcasecmp(host_name, kDeviceNames[i]) == 0) return static_cast<CharDevice>(i + 1);
  return CharDevice::kNone;
}

int32_t file_create(uint32_t path, uint32_t attributes) {
  const HostOpen how = HostOpen::kCreate;
  return open_into_slot(path, &how, attributes);
}

int32_t file_open(uint32_t path, uint32_t mode) {
  return open_into_slot(path, mode < std::size(kFopenModes) ? &kFopenModes[mode] : nullptr);
}

int32_t file_close(uint32_t handle) {
  // A device has nothing to close. Closing a redirected standard handle
  // gives it back to the console.
  if (device_of_handle(handle) != CharDevice::kNone) return 0;
  if (handle < kStandardHandles)
    return forced_handles[handle].in_use ? release_slot(forced_handles[handle]) : 0;
  HostFileSlot* slot = open_file_slot(handle);
  if (!slot) return kInvalidHandle;
  return release_slot(*slot);
}

void close_all_files() {
  for (HostFileSlot& slot : host_files)
    if (slot.in_use) release_slot(slot);
  for (HostFileSlot& slot : forced_handles)
    if (slot.in_use) release_slot(slot);
}

int32_t file_read(uint32_t handle, int32_t count, uint32_t buffer) {
  const HandleTarget target = resolve_handle(handle);
  if (target.device == CharDevice::kConsole) return console_read(count, buffer);
  if (target.device != CharDevice::kNone) return no_input_read(count);
  HostFileSlot* slot = target.file;
  if (!slot) return kInvalidHandle;
  if (count <= 0) return 0;
  begin_transfer(*slot, LastTransfer::kRead);
  const bool write_error_before = std::ferror(slot->stream) != 0;
  uint32_t remaining = static_cast<uint32_t>(count);
  uint32_t total = 0;
  // A short read does not end the transfer; the next read finds the end.
  while (remaining > 0) {
    const size_t chunk = std::min<uint32_t>(remaining, kBounceBufferSize);
    const size_t n = std::fread(bounce_buffer, 1, chunk, slot->stream);
    if (n == 0) break;
    machine::copy_to_guest(buffer, bounce_buffer, n);
    buffer += static_cast<uint32_t>(n);
    total += static_cast<uint32_t>(n);
    remaining -= static_cast<uint32_t>(n);
  }
  // A failed read (a write-only stream, a device error) loses no written
  // data; the error flag is kept only for Fclose to report lost writes.
  if (!write_error_before) std::clearerr(slot->stream);
  return static_cast<int32_t>(total);
}

int32_t file_write(uint32_t handle, int32_t count, uint32_t buffer) {
  // AUX: and PRN: print where Cauxout and Cprnout do: on standard output.
  const HandleTarget target = resolve_handle(handle);
  if (target.device != CharDevice::kNone) return console_write(count, buffer);
  HostFileSlot* slot = target.file;
  if (!slot) return kInvalidHandle;
  if (count <= 0) return 0;
  begin_transfer(*slot, LastTransfer::kWrite);
  uint32_t remaining = static_cast<uint32_t>(count);
  uint32_t total = 0;
  while (remaining > 0) {
    const size_t chunk = std::min<uint32_t>(remaining, kBounceBufferSize);
    machine::copy_from_guest(bounce_buffer, buffer, chunk);
    const size_t n = std::fwrite(bounce_buffer, 1, chunk, slot->stream);
    // Only a file the user may not write is open for reading alone.
    if (n == 0 && total == 0 && read_only_stream(slot->stream)) {
      std::clearerr(slot->stream);
      return kAccessDenied;
    }
    total += static_cast<uint32_t>(n);
    // A stream opened for reading refuses writes without losing anything:
    // forget that error, so only lost data makes Fclose fail.
    if (n < chunk && errno == EBADF) std::clearerr(slot->stream);
    // The count answers what the host took; a full disk or a read-only
    // stream ends the transfer there. Data still in the stream's buffer is
    // only known to be lost when it is flushed: a later Fwrite answers
    // short then, and Fclose answers -10.
    if (n < chunk) break;
    buffer += static_cast<uint32_t>(chunk);
    remaining -= static_cast<uint32_t>(chunk);
  }
  return static_cast<int32_t>(total);
}

int32_t file_seek(int32_t offset, uint32_t handle, int32_t mode) {
  const HandleTarget target = resolve_handle(handle);
  // A device has no position. C runtimes ask "is this a terminal?" by
  // seeking one byte on from where they are: only a device answers 0.
  if (target.device != CharDevice::kNone) return 0;
  HostFileSlot* slot = target.file;
  if (!slot) return kInvalidHandle;
  // GEMDOS numbers the origins as the host does; other modes are refused
  // and leave the position where it was.
  constexpr int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (mode >= 0 && mode < static_cast<int32_t>(std::size(kOrigins))) {
    std::fseek(slot->stream, offset, kOrigins[mode]);
    note_transfer(slot->stream, LastTransfer::kNone);
  }
  return static_cast<int32_t>(std::ftell(slot->stream));
}

int32_t file_dup(uint32_t standard) {
  if (standard >= kStandardHandles && device_of_handle(standard) == CharDevice::kNone)
    return kInvalidHandle;
  const int32_t free_slot = lowest_free_slot();
  if (free_slot < 0) return kNoHandleLeft;
  HostFileSlot& slot = host_files[free_slot];
  copy_of_target(standard, slot);  // a standard or device handle always refers to something
  // The duplicate is the caller's: a child's closes when the child ends.
  slot.owner = file_owner;
  return free_slot + static_cast<int32_t>(kFirstFileHandle);
}

int32_t file_force(uint32_t standard, uint32_t other) {
  if (standard >= kStandardHandles) return kInvalidHandle;
  HostFileSlot source;
  if (!copy_of_target(other, source)) return kInvalidHandle;
  if (other == standard) return 0;
  HostFileSlot& target = forced_handles[standard];
  if (target.in_use) release_slot(target);
  // The console is what a standard handle without redirection is.
  if (source.device != CharDevice::kConsole) target = source;
  return 0;
}

}  // namespace oscalls
