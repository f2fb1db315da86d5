#include "oscalls/host_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>

#include "machine/emu_memory.h"

namespace oscalls {

HostFileSlot host_files[kHostFileSlots];
uint8_t bounce_buffer[kBounceBufferSize];

namespace {

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

std::FILE* open_host(const char* name, HostOpen how) {
  switch (how) {
    case HostOpen::kRead:
      return std::fopen(name, "rb");
    case HostOpen::kWriteExisting:
      return open_write_existing(name);
    case HostOpen::kUpdate:
      return std::fopen(name, "r+b");
    case HostOpen::kCreate:
      return std::fopen(name, "wb");
  }
  return nullptr;
}

HostFileSlot* open_slot(uint32_t handle) {
  const uint32_t index = (handle - kFirstFileHandle) & 0xFFFF;
  if (index >= kHostFileSlots || !host_files[index].in_use) return nullptr;
  return &host_files[index];
}

int32_t lowest_free_slot() {
  for (unsigned i = 0; i < kHostFileSlots; ++i)
    if (!host_files[i].in_use) return static_cast<int32_t>(i);
  return -1;
}

// Opens `path` into the lowest free slot. `how` is null for a GEMDOS mode
// that has no host meaning; that is only found out once a slot is free.
int32_t open_into_slot(uint32_t path, const HostOpen* how) {
  char name[kHostNameSize];
  translate_path(path, name);
  const int32_t slot = lowest_free_slot();
  if (slot < 0) return kNoHandleLeft;
  if (!how) return kFileNotFound;
  std::FILE* stream = open_host(name, *how);
  if (!stream) return kFileNotFound;
  host_files[slot] = HostFileSlot{stream, 1, LastTransfer::kNone};
  return slot + static_cast<int32_t>(kFirstFileHandle);
}

void begin_transfer(HostFileSlot& slot, LastTransfer next) {
  if (slot.last != LastTransfer::kNone && slot.last != next) std::fseek(slot.stream, 0, SEEK_CUR);
  slot.last = next;
}

int32_t write_console(int32_t count, uint32_t buffer) {
  // A negative count would otherwise be taken as a length of up to 4 GB.
  // Counts up to 2^31 are taken at their word (the bytes repeat as the
  // address wraps), so they go out a BounceBuffer at a time: one call per
  // byte kept a 2 GB write busy for minutes.
  uint32_t remaining = count > 0 ? static_cast<uint32_t>(count) : 0;
  while (remaining > 0) {
    const size_t chunk = std::min<uint32_t>(remaining, kBounceBufferSize);
    machine::copy_from_guest(bounce_buffer, buffer, chunk);
    std::fwrite(bounce_buffer, 1, chunk, stdout);
    buffer += static_cast<uint32_t>(chunk);
    remaining -= static_cast<uint32_t>(chunk);
  }
  return 0;
}

}  // namespace

void reset_host_files() {
  for (HostFileSlot& slot : host_files) slot = HostFileSlot{nullptr, 0, LastTransfer::kNone};
}

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
}

int32_t file_create(uint32_t path) {
  const HostOpen how = HostOpen::kCreate;
  return open_into_slot(path, &how);
}

int32_t file_open(uint32_t path, uint32_t mode) {
  return open_into_slot(path, mode < std::size(kFopenModes) ? &kFopenModes[mode] : nullptr);
}

int32_t file_close(uint32_t handle) {
  HostFileSlot* slot = open_slot(handle);
  if (!slot) return kInvalidHandle;
  std::fclose(slot->stream);
  *slot = HostFileSlot{nullptr, 0, LastTransfer::kNone};
  return 0;
}

int32_t file_read(uint32_t handle, int32_t count, uint32_t buffer) {
  HostFileSlot* slot = open_slot(handle);
  if (!slot) return kInvalidHandle;
  if (count <= 0) return 0;
  begin_transfer(*slot, LastTransfer::kRead);
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
  return static_cast<int32_t>(total);
}

int32_t file_write(uint32_t handle, int32_t count, uint32_t buffer) {
  if (handle == 1 || handle == 2) return write_console(count, buffer);
  HostFileSlot* slot = open_slot(handle);
  if (!slot) return kInvalidHandle;
  if (count <= 0) return 0;
  begin_transfer(*slot, LastTransfer::kWrite);
  uint32_t remaining = static_cast<uint32_t>(count);
  uint32_t total = 0;
  while (remaining > 0) {
    const size_t chunk = std::min<uint32_t>(remaining, kBounceBufferSize);
    machine::copy_from_guest(bounce_buffer, buffer, chunk);
    const size_t n = std::fwrite(bounce_buffer, 1, chunk, slot->stream);
    total += static_cast<uint32_t>(n);
    // The count answers what the host took; a full disk or a read-only
    // stream ends the transfer there.
    if (n < chunk) break;
    buffer += static_cast<uint32_t>(chunk);
    remaining -= static_cast<uint32_t>(chunk);
  }
  return static_cast<int32_t>(total);
}

int32_t file_seek(int32_t offset, uint32_t handle, int32_t mode) {
  HostFileSlot* slot = open_slot(handle);
  if (!slot) return kInvalidHandle;
  // GEMDOS numbers the origins as the host does; other modes are refused
  // and leave the position where it was.
  constexpr int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (mode >= 0 && mode < static_cast<int32_t>(std::size(kOrigins))) {
    std::fseek(slot->stream, offset, kOrigins[mode]);
    slot->last = LastTransfer::kNone;
  }
  return static_cast<int32_t>(std::ftell(slot->stream));
}

int32_t copy_working_directory(uint32_t buffer, uint32_t drive) {
  constexpr uint32_t kCurrentDrive = 0, kDriveC = 3;
  if (drive != kCurrentDrive && drive != kDriveC) return kInvalidDrive;
  char cwd[kHostNameSize];
  if (!::getcwd(cwd, sizeof cwd)) return kInvalidDrive;
  machine::write_guest_string(buffer, cwd);
  return 0;
}

}  // namespace oscalls
