#include "runner/program_check.h"

#include "machine/emu_memory.h"
#include "machine/program_file.h"

namespace runner {

ProgramCheck check_program(uint32_t load_address, uint32_t file_size, uint32_t memory_top) {
  using machine::kProgramHeaderSize;
  ProgramCheck result;
  uint8_t raw[kProgramHeaderSize];
  machine::ProgramHeader header;
  if (file_size >= kProgramHeaderSize) machine::copy_from_guest(raw, load_address, sizeof raw);
  if (file_size < kProgramHeaderSize || !machine::parse_program_header(raw, header)) {
    result.fault = ProgramFault::kNotAProgram;
    return result;
  }
  const uint64_t image = header.image();
  const uint64_t tables_at = header.relocation_at();
  if (tables_at > file_size) {
    result = {ProgramFault::kTruncated, tables_at, file_size};
    return result;
  }
  const uint64_t program_start = load_address + kProgramHeaderSize;
  if (program_start + image + header.bss > memory_top) {
    result = {ProgramFault::kTooBig, image + header.bss, memory_top - program_start};
    return result;
  }

  // A file that ends inside the table's leading long still has one: the ROM
  // reads it from memory, the file's last bytes followed by the zeros after
  // it, and would apply whatever fix-up that makes.
  if (header.absolute || tables_at >= file_size) return result;
  const uint32_t first = machine::peek32(load_address + static_cast<uint32_t>(tables_at));
  uint64_t at = tables_at + 4;
  auto next_byte = [&]() -> int {
    const uint64_t here = at++;
    return here < file_size
               ? static_cast<int>(machine::peek8(load_address + static_cast<uint32_t>(here)))
               : -1;
  };
  uint64_t bad = 0;
  // The ROM reads the table from memory: zeros follow the file.
  if (machine::walk_relocations(
          machine::TableEnd::kZerosFollowTheFile, first, image, next_byte, [](uint32_t) {}, bad) ==
      machine::RelocationWalk::kOutsideImage)
    result = {ProgramFault::kBadRelocation, bad, image};
  return result;
}

}  // namespace runner
