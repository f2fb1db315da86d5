#include "machine/program_file.h"

namespace machine {

bool parse_program_header(const uint8_t (&raw)[kProgramHeaderSize], ProgramHeader& header) {
  if ((uint32_t{raw[0]} << 8 | raw[1]) != kProgramMagic) return false;
  header.text = big_endian32(raw + 2);
  header.data = big_endian32(raw + 6);
  header.bss = big_endian32(raw + 10);
  header.symbols = big_endian32(raw + 14);
  header.absolute = raw[26] != 0 || raw[27] != 0;
  return true;
}

}  // namespace machine
