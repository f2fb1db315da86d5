#include "oscalls/program_loader.h"

#include <sys/stat.h>

#include <algorithm>

#include "machine/basepage.h"
#include "machine/emu_memory.h"
#include "machine/os_rom.h"
#include "machine/program_file.h"
#include "oscalls/host_files.h"
#include "oscalls/host_paths.h"

namespace oscalls {

namespace {

using machine::peek8;
using machine::poke32;
using machine::poke8;

using machine::kBasepageSize;
using machine::kCommandLineBytes;
using machine::ProgramHeader;

// Long-aligned, as the first program's basepage is.
uint32_t align_long(uint32_t address) {
  return (address + 3) & ~3u;
}

void clear_guest(uint32_t address, uint32_t length) {
  static const uint8_t kZeros[kBounceBufferSize] = {};
  while (length > 0) {
    const uint32_t n = std::min<uint32_t>(length, sizeof kZeros);
    machine::copy_to_guest(address, kZeros, n);
    address += n;
    length -= n;
  }
}

static_assert(kMaxEnvironment >= machine::kIoRegionStart - machine::kLongEnvironment,
              "a child gets the first program's longest environment whole");

// Bytes the environment at `env` takes in the copy: its strings and the
// empty string that ends it, at least two NULs, at most kMaxEnvironment.
uint32_t environment_size(uint32_t env) {
  if (env == 0) return 2;
  uint32_t i = 0;
  while (i + 1 < kMaxEnvironment) {
    if (peek8(env + i) == 0) break;  // the empty string: the end
    while (i + 1 < kMaxEnvironment && peek8(env + i) != 0) ++i;
    ++i;  // past the string's NUL
  }
  return std::clamp<uint32_t>(i + 1, 2, kMaxEnvironment);
}

// The copy always ends in two NULs, whatever the source held past the cap.
void copy_environment(uint32_t to, uint32_t env, uint32_t size) {
  for (uint32_t i = 0; i + 2 < size; ++i) poke8(to + i, env ? peek8(env + i) : 0);
  poke8(to + size - 2, 0);
  poke8(to + size - 1, 0);
}

// Length byte and characters, up to and including a NUL (the length byte
// and up to 126 more); the last of the 128 bytes is a NUL in any case.
void copy_command_line(uint32_t to, uint32_t tail) {
  if (tail == 0) return;  // the cleared basepage holds an empty line
  for (uint32_t i = 0; i < kCommandLineBytes - 1; ++i) {
    const uint32_t c = peek8(tail + i);
    poke8(to + i, c);
    if (i > 0 && c == 0) break;
  }
  poke8(to + kCommandLineBytes - 1, 0);
}

// Places the environment copy and the basepage for a program that needs
// `program_size` bytes above the basepage; false when that does not fit.
bool place(const NewProcess& request, uint64_t program_size, uint32_t& env_size,
           LoadedProcess& out) {
  const uint32_t env = request.environment;
  env_size = environment_size(env);
  out.region_start = align_long(request.start);
  out.basepage = align_long(out.region_start + env_size);
  const uint64_t end = uint64_t{out.basepage} + kBasepageSize + program_size + kMinimumChildStack;
  return out.region_start >= request.start && end <= request.limit;
}

void write_basepage(const NewProcess& request, uint32_t env_size, const ProgramHeader& header,
                    const LoadedProcess& out) {
  using namespace machine;
  const uint32_t bp = out.basepage;
  copy_environment(out.region_start, request.environment, env_size);
  clear_guest(bp, kBasepageSize);
  const uint32_t text = bp + kBasepageSize;
  poke32(bp + kBasepageMemoryStart, bp);
  poke32(bp + kBasepageMemoryEnd, request.limit);
  poke32(bp + kBasepageText, text);
  poke32(bp + kBasepageTextLength, header.text);
  poke32(bp + kBasepageData, text + header.text);
  poke32(bp + kBasepageDataLength, header.data);
  poke32(bp + kBasepageBss, text + header.text + header.data);
  poke32(bp + kBasepageBssLength, header.bss);
  poke32(bp + kBasepageDta, bp + kBasepageCommandLine);
  poke32(bp + kBasepageParent, request.parent);
  poke32(bp + kBasepageEnvironment, out.region_start);
  copy_command_line(bp + kBasepageCommandLine, request.tail);
}

bool read_header(std::FILE* file, ProgramHeader& header) {
  uint8_t raw[machine::kProgramHeaderSize];
  if (std::fread(raw, 1, sizeof raw, file) != sizeof raw) return false;
  if (!machine::parse_program_header(raw, header)) return false;
  // The file must hold the segments and symbols the header promises.
  struct stat st;
  if (fstat(fileno(file), &st) != 0) return false;
  return header.relocation_at() <= static_cast<uint64_t>(st.st_size);
}

bool copy_segments(std::FILE* file, uint32_t to, uint32_t length) {
  while (length > 0) {
    const uint32_t chunk = std::min<uint32_t>(length, kBounceBufferSize);
    if (std::fread(bounce_buffer, 1, chunk, file) != chunk) return false;
    machine::copy_to_guest(to, bounce_buffer, chunk);
    to += chunk;
    length -= chunk;
  }
  return true;
}

// Applies the relocation table after the symbols. A fix-up outside the text
// and data, or the file ending inside the table, makes the file no program.
bool relocate(std::FILE* file, const ProgramHeader& header, uint32_t text) {
  uint8_t first[4];
  const size_t got = std::fread(first, 1, sizeof first, file);
  if (got == 0) return true;  // no table at all: nothing to relocate
  if (got != sizeof first) return false;
  const uint32_t first_offset = machine::big_endian32(first);
  auto next_byte = [file] { return std::fgetc(file); };  // EOF is negative
  auto fix_up = [text](uint32_t offset) {
    const uint32_t at = text + offset;
    poke32(at, machine::peek32(at) + text);
  };
  uint64_t bad = 0;
  // The host reads the table from the file: it must end with its 0 byte.
  return machine::walk_relocations(machine::TableEnd::kEndByteRequired, first_offset,
                                   header.image(), next_byte, fix_up,
                                   bad) == machine::RelocationWalk::kComplete;
}

}  // namespace

// Found by the same rules as Fopen's names, case-insensitive lookup included.
std::FILE* open_program_file(uint32_t name) {
  char host_name[kHostNameSize];
  if (resolve_host_path(name, host_name) != PathLookup::kFound) return nullptr;
  struct stat st;
  if (stat(host_name, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return std::fopen(host_name, "rb");
}

int32_t create_basepage(const NewProcess& request, LoadedProcess& out) {
  uint32_t env_size;
  if (!place(request, 0, env_size, out)) return kNotEnoughMemory;
  write_basepage(request, env_size, ProgramHeader{}, out);
  out.image_end = out.basepage + kBasepageSize;
  return 0;
}

int32_t load_program_file(uint32_t name, const NewProcess& request, LoadedProcess& out) {
  std::FILE* file = open_program_file(name);
  if (!file) return kFileNotFound;
  ProgramHeader header;
  uint32_t env_size = 0;
  int32_t result = 0;
  if (!read_header(file, header))
    result = kNotProgramFile;
  else if (!place(request, uint64_t{header.text} + header.data + header.bss, env_size, out))
    result = kNotEnoughMemory;
  if (result != 0) {
    std::fclose(file);
    return result;
  }
  const uint32_t text = out.basepage + kBasepageSize;
  const uint32_t image = header.text + header.data;
  bool ok = copy_segments(file, text, image) && std::fseek(file, header.symbols, SEEK_CUR) == 0;
  if (ok && !header.absolute) ok = relocate(file, header, text);
  std::fclose(file);
  if (!ok) return kNotProgramFile;
  clear_guest(text + image, header.bss);
  write_basepage(request, env_size, header, out);
  out.image_end = text + image + header.bss;
  return 0;
}

}  // namespace oscalls
