#include "runner/program_check.h"

#include "machine/emu_memory.h"

namespace runner {

ProgramCheck check_program(uint32_t load_address, uint32_t file_size, uint32_t memory_top) {
  ProgramCheck result;
  auto header32 = [&](uint32_t offset) -> uint64_t {
    return machine::peek32(load_address + offset);
  };
  if (file_size < kProgramHeaderSize || machine::peek16(load_address) != 0x601A) {
    result.fault = ProgramFault::kNotAProgram;
    return result;
  }
  const uint64_t text = header32(2), data = header32(6), bss = header32(10), symbols = header32(14);
  const uint64_t image = text + data;
  const uint64_t tables_at = kProgramHeaderSize + image + symbols;
  if (tables_at > file_size) {
    result = {ProgramFault::kTruncated, tables_at, file_size};
    return result;
  }
  const uint64_t program_start = load_address + kProgramHeaderSize;
  if (program_start + image + bss > memory_top) {
    result = {ProgramFault::kTooBig, image + bss, memory_top - program_start};
    return result;
  }

  // Relocation: a long giving the first fix-up's offset (0 for none), then
  // one byte per further fix-up: 0 ends, 1 moves on 254 bytes, any other
  // value moves on that many bytes and fixes up the long there.
  const bool absolute = machine::peek16(load_address + 26) != 0;
  if (absolute || tables_at + 4 > file_size) return result;
  uint64_t fixup = machine::peek32(load_address + static_cast<uint32_t>(tables_at));
  if (fixup == 0) return result;
  for (uint64_t at = tables_at + 4;; ++at) {
    if (fixup + 4 > image) {
      result = {ProgramFault::kBadRelocation, fixup, image};
      return result;
    }
    uint32_t step = 0;
    // Find the next fix-up; past the file's end the ROM reads zeros.
    for (;; ++at) {
      const uint32_t b =
          at < file_size ? machine::peek8(load_address + static_cast<uint32_t>(at)) : 0;
      if (b == 0) return result;
      if (b != 1) {
        step += b;
        break;
      }
      step += 254;
    }
    fixup += step;
  }
}

}  // namespace runner
