// GEMDOS file handles 16 to 31 mapped to host file streams, the standard
// handles 0 to 5 (the console unless Fforce points one elsewhere), the
// character-device handles -1 to -3, and the 512-byte BounceBuffer through
// which all file data passes.
//
// Every operation answers the 32-bit value the program receives in D0:
// a handle, a count, a position, 0, or a negative GEMDOS error number.
#pragma once

#include <cstdint>
#include <cstdio>

namespace oscalls {

inline constexpr unsigned kHostFileSlots = 16;
inline constexpr unsigned kFirstFileHandle = 16;
inline constexpr unsigned kBounceBufferSize = 512;
inline constexpr unsigned kHostNameSize = 256;

// GEMDOS error numbers used by the file calls.
inline constexpr int32_t kFileNotFound = -33;
inline constexpr int32_t kNoHandleLeft = -35;
inline constexpr int32_t kInvalidHandle = -37;
inline constexpr int32_t kInvalidDrive = -46;

// Direction of a slot's last transfer. A stream opened for update must be
// repositioned between a write and a following read (and the other way
// round), so a change of direction seeks to the current position first.
enum class LastTransfer : uint8_t { kNone, kRead, kWrite };

// The character devices a handle can stand for. GEMDOS gives each a handle
// that needs no open: -1 CON: (the console), -2 AUX:, -3 PRN:. Output to any
// of them goes to standard output; only the console has input.
enum class CharDevice : uint8_t { kNone, kConsole, kAux, kPrinter };

// A slot whose `device` is not kNone has no stream: it stands for that
// device (what Fdup of a standard handle that is a device gives). Several
// slots may share one stream (Fdup, Fforce); the stream is closed with the
// last of them.
struct HostFileSlot {
  std::FILE* stream;
  uint8_t in_use;
  LastTransfer last;
  CharDevice device = CharDevice::kNone;
  uint8_t owner = 0;  // the process level that opened it: 0 the first program
};

inline constexpr unsigned kStandardHandles = 6;

extern HostFileSlot host_files[kHostFileSlots];
// The standard handles Fforce redirected; a slot not in use is the console.
extern HostFileSlot forced_handles[kStandardHandles];
extern uint8_t bounce_buffer[kBounceBufferSize];

// Marks every slot free (start-up; nothing is closed).
void reset_host_files();

// The process level that files opened from now on belong to. Handles are
// shared: any level may use any open handle; only the end of a child closes
// by owner.
void set_file_owner(uint8_t owner);
// Flushes and closes every file opened by `owner` (a child that ends).
void close_files_owned_by(uint8_t owner);

// What a handle (the program's 16-bit word) refers to now: an open file's
// slot, a character device, or nothing (`file` null, `device` kNone: the
// call answers -37). The device handles -1 to -3 are their devices; a
// standard handle 0 to 5 is the console until Fforce points it elsewhere.
struct HandleTarget {
  HostFileSlot* file;
  CharDevice device;
};
HandleTarget resolve_handle(uint32_t handle);
// The slot of an open file behind `handle`, or null for a device and for
// handles not open.
HostFileSlot* find_open_file(uint32_t handle);

// The device a translated host name names: "CON:", "AUX:" or "PRN:" in any
// case (the drive prefix is gone already), kNone for any other name.
CharDevice device_named(const char* host_name);

// Fcreate: create or truncate for writing; attribute bit 0x01 makes the new
// file read-only on the host (the handle can still write). -36 for an
// existing file that is read-only or a folder, -34 when a folder on the way
// is missing.
int32_t file_create(uint32_t path, uint32_t attributes = 0);
// Fopen: mode 0 reads (and writes too where the host lets the user write the
// file), 1 write only (an existing file, not truncated), 2 read and write;
// any other mode opens nothing and answers -33. Modes 1 and 2 answer -36 on
// a read-only file. Fopen and Fcreate of a device name answer its handle.
int32_t file_open(uint32_t path, uint32_t mode);
// Fclose: 0, or -10 (write fault) when the host could not store all the
// data written through the handle (a failed flush now or earlier, a failed
// close); the handle is freed either way. Closing a device is a no-op that
// answers 0; a redirected standard handle goes back to the console.
int32_t file_close(uint32_t handle);
// Flushes and closes every open file (redirected standard handles too) and
// frees its slot: the end of every run, however it ended, goes through here.
void close_all_files();
// The console reads standard input; AUX: and PRN: have no input ever, so a
// read of them waits at the end of input.
int32_t file_read(uint32_t handle, int32_t count, uint32_t buffer);
// Every device writes to standard output.
int32_t file_write(uint32_t handle, int32_t count, uint32_t buffer);
// A device has no position: 0, whatever the offset and mode.
int32_t file_seek(int32_t offset, uint32_t handle, int32_t mode);
// Fdup: a new handle (16 to 31) for what standard handle `standard` (or a
// device handle) is now.
int32_t file_dup(uint32_t standard);
// Fforce: standard handle `standard` becomes what `other` is (a file handle,
// another standard handle or a device handle).
int32_t file_force(uint32_t standard, uint32_t other);

}  // namespace oscalls
