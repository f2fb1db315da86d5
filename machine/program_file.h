// The GEMDOS program-file format, read in two places: the start-up check of
// the first program (which the ROM then relocates) and the loader of the
// programs it starts. A file is a 28-byte header, the text and data
// segments, the symbol table, then the relocation table.
#pragma once

#include <cstdint>

namespace machine {

inline constexpr uint32_t kProgramHeaderSize = 28;
inline constexpr uint32_t kProgramMagic = 0x601A;

// The header's fields (big-endian; machine/os_rom.s names the same ph_*):
// the magic word, the four segment lengths, and the word that, non-zero,
// marks a program that is not to be relocated. The longs between the
// lengths and that word (reserved, program flags) are read by nobody.
inline constexpr uint32_t kProgramHeaderMagic = 0x00;
inline constexpr uint32_t kProgramHeaderTextLength = 0x02;
inline constexpr uint32_t kProgramHeaderDataLength = 0x06;
inline constexpr uint32_t kProgramHeaderBssLength = 0x0A;
inline constexpr uint32_t kProgramHeaderSymbolsLength = 0x0E;
inline constexpr uint32_t kProgramHeaderAbsoluteFlag = 0x1A;

struct ProgramHeader {
  uint32_t text = 0, data = 0, bss = 0, symbols = 0;
  bool absolute = false;  // the no-relocation word is set

  // Text and data: every fix-up lies inside them.
  uint64_t image() const { return uint64_t{text} + data; }
  // File offset of the relocation table, just past the symbols.
  uint64_t relocation_at() const { return kProgramHeaderSize + image() + symbols; }
};

// The file's words and longs are big-endian.
inline uint32_t big_endian16(const uint8_t* p) {
  return (uint32_t{p[0]} << 8) | p[1];
}
inline uint32_t big_endian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Reads the big-endian header; false unless it starts with the magic.
bool parse_program_header(const uint8_t (&raw)[kProgramHeaderSize], ProgramHeader& header);

enum class RelocationWalk : uint8_t { kComplete, kOutsideImage, kTruncated };

// What a file that ends inside its relocation table means: the one point
// where the two loaders of a table differ.
enum class TableEnd : uint8_t {
  // The first program's table is read by the ROM from memory, where the
  // cleared memory follows the loaded file: the table ends at the file's
  // end as if its 0 byte followed (the start-up check).
  kZerosFollowTheFile,
  // A child's table is read from its file by the host: a table that the
  // file ends inside is truncated, and the file no program (Pexec's -66).
  kEndByteRequired,
};

// The relocation table is a long giving the first fix-up's offset from the
// text start (0: none), then one byte per step: 0 ends the table, 1 moves on
// 254 bytes without a fix-up, any other value moves on that many bytes to
// the next fix-up. Walks the table after its leading long `first`:
// `next_byte()` gives the next step byte, or a negative value where the
// input ends, which `end` says how to take; `fix_up(offset)` is called for
// each fix-up once it is known to lie inside the image, and `bad_offset`
// receives the one that does not.
template <class NextByte, class FixUp>
RelocationWalk walk_relocations(TableEnd end, uint32_t first, uint64_t image, NextByte next_byte,
                                FixUp fix_up, uint64_t& bad_offset) {
  if (first == 0) return RelocationWalk::kComplete;
  uint64_t offset = first;
  for (;;) {
    if (offset + 4 > image) {
      bad_offset = offset;
      return RelocationWalk::kOutsideImage;
    }
    fix_up(static_cast<uint32_t>(offset));
    int step;
    while ((step = next_byte()) == 1) offset += 254;
    if (step < 0)
      return end == TableEnd::kZerosFollowTheFile ? RelocationWalk::kComplete
                                                  : RelocationWalk::kTruncated;
    if (step == 0) return RelocationWalk::kComplete;
    offset += static_cast<uint32_t>(step);
  }
}

}  // namespace machine
