#include "machine/program_file.h"

namespace machine {

bool parse_program_header(const uint8_t (&raw)[kProgramHeaderSize], ProgramHeader& header) {
  if (big_endian16(raw + kProgramHeaderMagic) != kProgramMagic) return false;
  header.text = big_endian32(raw + kProgramHeaderTextLength);
  header.data = big_endian32(raw + kProgramHeaderDataLength);
  header.bss = big_endian32(raw + kProgramHeaderBssLength);
  header.symbols = big_endian32(raw + kProgramHeaderSymbolsLength);
  header.absolute = big_endian16(raw + kProgramHeaderAbsoluteFlag) != 0;
  return true;
}

}  // namespace machine
