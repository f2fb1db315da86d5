#include "program_image.h"

#include <algorithm>
#include <cstdio>

#include "machine/program_file.h"

namespace elf2gemdos {
namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v >> 16);
  put16(out, v);
}

std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%x", v);
  return buf;
}

}  // namespace

bool encode_relocations(std::vector<uint32_t> offsets, std::vector<uint8_t>& out,
                        std::string& error) {
  out.clear();
  if (offsets.empty()) {
    put32(out, 0);
    return true;
  }
  std::sort(offsets.begin(), offsets.end());
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (offsets[i] & 1) {
      error =
          "relocation at odd offset " + hex(offsets[i]) + " (a 68000 cannot reach a long there)";
      return false;
    }
    if (i > 0 && offsets[i] == offsets[i - 1]) {
      error = "two relocations at offset " + hex(offsets[i]);
      return false;
    }
  }
  // A first offset of 0 would read as "nothing to relocate", and the loader
  // would skip the whole table.
  if (offsets[0] == 0) {
    error = "relocation at offset 0 cannot be expressed (a zero first long ends the table)";
    return false;
  }
  put32(out, offsets[0]);
  for (size_t i = 1; i < offsets.size(); ++i) {
    uint32_t distance = offsets[i] - offsets[i - 1];
    // Distances are even, so what is left after the 254-byte steps is 2 to
    // 254 and never collides with the 0 and 1 codes.
    while (distance > 254) {
      out.push_back(1);
      distance -= 254;
    }
    out.push_back(static_cast<uint8_t>(distance));
  }
  out.push_back(0);
  return true;
}

bool write_program_file(const ProgramImage& image, std::vector<uint8_t>& out, std::string& error) {
  if ((image.text.size() | image.data.size()) & 1) {
    error = "text and data lengths must be even, so that data and BSS start on even addresses";
    return false;
  }
  const uint32_t image_end = static_cast<uint32_t>(image.text.size() + image.data.size());
  for (uint32_t offset : image.fixups) {
    if (offset > image_end || image_end - offset < 4) {
      error = "relocation at offset " + hex(offset) + " lies outside text and data";
      return false;
    }
  }
  std::vector<uint8_t> relocations;
  if (!encode_relocations(image.fixups, relocations, error)) return false;

  out.clear();
  put16(out, machine::kProgramMagic);
  put32(out, static_cast<uint32_t>(image.text.size()));
  put32(out, static_cast<uint32_t>(image.data.size()));
  put32(out, image.bss_length);
  put32(out, 0);  // symbol table length
  put32(out, 0);  // reserved
  put32(out, 0);  // program flags
  put16(out, 0);  // absolute flag: relocate
  out.insert(out.end(), image.text.begin(), image.text.end());
  out.insert(out.end(), image.data.begin(), image.data.end());
  out.insert(out.end(), relocations.begin(), relocations.end());
  return true;
}

}  // namespace elf2gemdos
