// elf2gemdos: turns a linked 68000 ELF executable into a GEMDOS program file.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "elf_reader.h"
#include "program_image.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "Usage: elf2gemdos <input.elf> <output.tos>\n"
               "  The input is a big-endian ELF32 executable for the 68000, linked at\n"
               "  address 0 with .text, .data and .bss in that order and with its\n"
               "  relocations kept (ld -q).\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return usage();
  const char* input = argv[1];
  const char* output = argv[2];

  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "elf2gemdos: cannot open %s\n", input);
    return 1;
  }
  std::vector<uint8_t> elf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  elf2gemdos::ProgramImage image;
  elf2gemdos::ReadResult read = elf2gemdos::read_elf(elf, image);
  for (const std::string& warning : read.warnings)
    std::fprintf(stderr, "elf2gemdos: %s: warning: %s\n", input, warning.c_str());
  if (!read.ok) {
    std::fprintf(stderr, "elf2gemdos: %s: %s\n", input, read.error.c_str());
    return 1;
  }

  std::vector<uint8_t> program;
  std::string error;
  if (!elf2gemdos::write_program_file(image, program, error)) {
    std::fprintf(stderr, "elf2gemdos: %s: %s\n", input, error.c_str());
    return 1;
  }
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(program.data()),
            static_cast<std::streamsize>(program.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "elf2gemdos: cannot write %s\n", output);
    std::remove(output);
    return 1;
  }
  return 0;
}
