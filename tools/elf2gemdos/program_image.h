// The pieces of a GEMDOS program file and how they are laid out on disk.
//
// A program is text, then data, then BSS, contiguous from address 0 at link
// time. The loader adds the text start address to every long listed in the
// relocation table, so a fix-up offset is both the link-time address of the
// long and its distance from the text start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace elf2gemdos {

struct ProgramImage {
  std::vector<uint8_t> text;
  std::vector<uint8_t> data;
  uint32_t bss_length = 0;
  // Offsets of the longs to relocate, from the start of the text segment.
  std::vector<uint32_t> fixups;
};

// GEMDOS relocation table: the first offset as a long, then one byte per
// further fix-up giving the distance from the previous one (1 means "move on
// 254 bytes, no fix-up here"), and a 0 byte to end. A program with nothing
// to relocate gets a single zero long. The offsets may come in any order;
// odd or repeated offsets are refused (false, with a message in `error`).
bool encode_relocations(std::vector<uint32_t> offsets, std::vector<uint8_t>& out,
                        std::string& error);

// The whole file: 28-byte header, text, data, no symbols, relocation table.
bool write_program_file(const ProgramImage& image, std::vector<uint8_t>& out, std::string& error);

}  // namespace elf2gemdos
