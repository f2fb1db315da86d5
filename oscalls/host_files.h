// GEMDOS file handles 16 to 31 mapped to host file streams, GEMDOS paths
// turned into host paths, and the 512-byte BounceBuffer through which all
// file data passes.
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

struct HostFileSlot {
  std::FILE* stream;
  uint8_t in_use;
  LastTransfer last;
};

extern HostFileSlot host_files[kHostFileSlots];
extern uint8_t bounce_buffer[kBounceBufferSize];

// Marks every slot free (start-up; nothing is closed).
void reset_host_files();

// GEMDOS name at guest address `path` to host name: a two-byte drive prefix
// ("X:") is dropped, '\' becomes '/', 0x1A becomes a space, and the name is
// cut at 255 characters.
void translate_path(uint32_t path, char (&host_name)[kHostNameSize]);

// Fcreate: create or truncate for writing.
int32_t file_create(uint32_t path);
// Fopen: mode 0 read only, 1 write only (an existing file, not truncated),
// 2 read and write; any other mode opens nothing and answers -33.
int32_t file_open(uint32_t path, uint32_t mode);
// Fclose: 0, or -10 (write fault) when the host could not store all the
// data written through the handle (a failed flush now or earlier, a failed
// close); the handle is freed either way.
int32_t file_close(uint32_t handle);
// Flushes and closes every open file and frees its slot: the end of every
// run, however it ended, goes through here.
void close_all_files();
int32_t file_read(uint32_t handle, int32_t count, uint32_t buffer);
// Handles 1 and 2 are the console.
int32_t file_write(uint32_t handle, int32_t count, uint32_t buffer);
int32_t file_seek(int32_t offset, uint32_t handle, int32_t mode);
// Dgetpath: the host's working directory, as the host reports it.
int32_t copy_working_directory(uint32_t buffer, uint32_t drive);

}  // namespace oscalls
