#include "elf_reader.h"

#include <algorithm>
#include <cstdio>

#include "machine/os_rom_symbols.h"
#include "machine/program_file.h"

namespace elf2gemdos {
namespace {

constexpr uint16_t kEtExec = 2;
constexpr uint16_t kEm68k = 4;
constexpr uint32_t kEfM68000 = 0x01000000;

constexpr uint32_t kShtProgbits = 1;
constexpr uint32_t kShtSymtab = 2;
constexpr uint32_t kShtRela = 4;
constexpr uint32_t kShtNobits = 8;
constexpr uint32_t kShtRel = 9;
constexpr uint32_t kShfAlloc = 2;

constexpr uint16_t kShnUndef = 0;
constexpr uint16_t kShnAbs = 0xFFF1;

constexpr uint32_t kR68kNone = 0;
constexpr uint32_t kR68k32 = 1;
constexpr uint32_t kR68kPc32 = 4;
constexpr uint32_t kR68kPc16 = 5;
constexpr uint32_t kR68kPc8 = 6;

std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%x", v);
  return buf;
}

std::string relocation_name(uint32_t type) {
  static const char* const names[] = {
      "R_68K_NONE",     "R_68K_32",       "R_68K_16",      "R_68K_8",     "R_68K_PC32",
      "R_68K_PC16",     "R_68K_PC8",      "R_68K_GOT32",   "R_68K_GOT16", "R_68K_GOT8",
      "R_68K_GOT32O",   "R_68K_GOT16O",   "R_68K_GOT8O",   "R_68K_PLT32", "R_68K_PLT16",
      "R_68K_PLT8",     "R_68K_PLT32O",   "R_68K_PLT16O",  "R_68K_PLT8O", "R_68K_COPY",
      "R_68K_GLOB_DAT", "R_68K_JMP_SLOT", "R_68K_RELATIVE"};
  if (type < sizeof names / sizeof names[0]) return names[type];
  return "relocation type " + std::to_string(type);
}

// Bounds-checked big-endian view of the file; any read past the end marks
// the view bad and yields 0, so malformed input ends in a message.
class BigEndianView {
 public:
  explicit BigEndianView(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool covers(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  uint32_t u8(uint64_t at) { return covers(at, 1) ? bytes_[at] : fail(); }
  uint32_t u16(uint64_t at) {
    return covers(at, 2) ? (uint32_t{bytes_[at]} << 8) | bytes_[at + 1] : fail();
  }
  uint32_t u32(uint64_t at) { return covers(at, 4) ? (u16(at) << 16) | u16(at + 2) : fail(); }
  bool bad() const { return bad_; }

 private:
  uint32_t fail() {
    bad_ = true;
    return 0;
  }
  const std::vector<uint8_t>& bytes_;
  bool bad_ = false;
};

struct Section {
  std::string name;
  uint32_t type, flags, addr, offset, size, link, info, entsize;
};

struct Symbol {
  std::string name;
  uint16_t shndx;
};

class Reader {
 public:
  Reader(const std::vector<uint8_t>& file, ProgramImage& image, ReadResult& result)
      : file_(file), view_(file), image_(image), result_(result) {}

  bool run() { return read_header() && read_sections() && lay_out_segments() && collect_fixups(); }

 private:
  bool fail(std::string message) {
    result_.error = std::move(message);
    return false;
  }

  bool read_header() {
    if (!view_.covers(0, 52) || view_.u32(0) != 0x7F454C46) return fail("not an ELF file");
    if (view_.u8(4) != 1) return fail("not a 32-bit ELF file");
    if (view_.u8(5) != 2) return fail("not a big-endian ELF file (the 68000 is big-endian)");
    if (view_.u16(18) != kEm68k)
      return fail("not a 68000 executable (ELF machine " + std::to_string(view_.u16(18)) + ")");
    if (view_.u16(16) != kEtExec)
      return fail("not a linked executable: link it at address 0 with ld -q first");
    if (!(view_.u32(36) & kEfM68000))
      return fail("built for a later 68k model, not the 68000: compile and assemble with -m68000");
    shoff_ = view_.u32(32);
    shentsize_ = view_.u16(46);
    shnum_ = view_.u16(48);
    shstrndx_ = view_.u16(50);
    if (shnum_ == 0 || shentsize_ < 40) return fail("no usable section headers");
    if (shstrndx_ >= shnum_) return fail("bad section name table index");
    if (!view_.covers(shoff_, uint64_t{shnum_} * shentsize_))
      return fail("section headers run past the end of the file");
    return true;
  }

  std::string string_at(const Section& table, uint32_t index) {
    std::string s;
    for (uint64_t at = uint64_t{table.offset} + index; at < uint64_t{table.offset} + table.size;
         ++at) {
      uint32_t c = view_.u8(at);
      if (c == 0 || view_.bad()) break;
      s.push_back(static_cast<char>(c));
    }
    return s;
  }

  bool read_sections() {
    std::vector<uint32_t> name_index(shnum_);
    for (uint32_t i = 0; i < shnum_; ++i) {
      uint64_t h = uint64_t{shoff_} + uint64_t{i} * shentsize_;
      Section s;
      name_index[i] = view_.u32(h);
      s.type = view_.u32(h + 4);
      s.flags = view_.u32(h + 8);
      s.addr = view_.u32(h + 12);
      s.offset = view_.u32(h + 16);
      s.size = view_.u32(h + 20);
      s.link = view_.u32(h + 24);
      s.info = view_.u32(h + 28);
      s.entsize = view_.u32(h + 36);
      if (s.type != kShtNobits && s.type != 0 && !view_.covers(s.offset, s.size))
        return fail("section " + std::to_string(i) + " runs past the end of the file");
      sections_.push_back(s);
    }
    for (uint32_t i = 0; i < shnum_; ++i)
      sections_[i].name = string_at(sections_[shstrndx_], name_index[i]);
    return !view_.bad() || fail("truncated section headers");
  }

  // Finds .text, .data and .bss and refuses every other allocated section:
  // the loader knows only these three.
  bool lay_out_segments() {
    for (uint32_t i = 1; i < shnum_; ++i) {
      const Section& s = sections_[i];
      if (!(s.flags & kShfAlloc) || s.size == 0) continue;
      if (s.name == ".text" && s.type == kShtProgbits) {
        text_ = i;
      } else if (s.name == ".data" && s.type == kShtProgbits) {
        data_ = i;
      } else if (s.name == ".bss" && s.type == kShtNobits) {
        bss_ = i;
      } else {
        return fail("section " + s.name +
                    " is not .text, .data or .bss: place it in one of them in the linker script");
      }
    }
    if (!text_) return fail("no .text section");
    const Section& text = sections_[text_];
    if (text.addr != 0)
      return fail(".text starts at " + hex(text.addr) + ": link the program at address 0");
    // Segments get even lengths: the loader puts data and BSS right behind
    // the text, and longs there must sit on even addresses. Gaps left by
    // alignment become zero bytes of the segment before them.
    auto even = [](uint64_t v) { return (v + 1) & ~uint64_t{1}; };
    uint64_t text_end = text.size;
    uint64_t data_start = data_ ? sections_[data_].addr : even(text_end);
    if (data_ && data_start < text_end) return fail(".data overlaps or precedes .text");
    if (data_start & 1) return fail(".data starts at an odd address " + hex(data_start));
    uint64_t data_end = data_ ? data_start + sections_[data_].size : data_start;
    uint64_t bss_start = bss_ ? sections_[bss_].addr : even(data_end);
    if (bss_ && bss_start < data_end) return fail(".bss overlaps or precedes .text or .data");
    if (bss_start & 1) return fail(".bss starts at an odd address " + hex(bss_start));
    uint64_t bss_end = bss_ ? bss_start + sections_[bss_].size : bss_start;
    // The text starts after the header at the load address, and everything
    // must stay below the ROM.
    constexpr uint32_t kRoom =
        machine::kOsRomBase - (machine::kLoadAddress + machine::kProgramHeaderSize);
    if (bss_end > kRoom) return fail("the program does not fit below the OS ROM");

    image_.text.assign(data_start, 0);
    copy_section(text_, image_.text, 0);
    image_.data.assign(bss_start - data_start, 0);
    if (data_) copy_section(data_, image_.data, data_start);
    image_.bss_length = static_cast<uint32_t>(even(bss_end - bss_start));
    image_end_ = static_cast<uint32_t>(bss_start);
    return true;
  }

  void copy_section(uint32_t index, std::vector<uint8_t>& segment, uint64_t segment_start) {
    const Section& s = sections_[index];
    std::copy_n(file_.begin() + s.offset, s.size, segment.begin() + (s.addr - segment_start));
  }

  bool read_symbol(const Section& symtab, uint32_t index, Symbol& symbol) {
    uint64_t at = uint64_t{symtab.offset} + uint64_t{index} * 16;
    if (index * uint64_t{16} + 16 > symtab.size)
      return fail("relocation names symbol " + std::to_string(index) + ", which does not exist");
    symbol.shndx = static_cast<uint16_t>(view_.u16(at + 14));
    symbol.name = symtab.link < shnum_ ? string_at(sections_[symtab.link], view_.u32(at)) : "";
    if (symbol.name.empty()) symbol.name = "symbol " + std::to_string(index);
    return true;
  }

  bool collect_fixups() {
    bool any_relocation_section = false;
    for (uint32_t i = 1; i < shnum_; ++i) {
      const Section& s = sections_[i];
      if (s.type != kShtRela && s.type != kShtRel) continue;
      any_relocation_section = true;
      if (s.info == 0 || s.info >= shnum_) continue;
      const Section& target = sections_[s.info];
      if (!(target.flags & kShfAlloc)) continue;  // debug information and the like
      if (s.info == bss_) return fail("relocation in .bss, which holds no data to fix up");
      if (s.info != text_ && s.info != data_) continue;  // an empty section
      if (s.link == 0 || s.link >= shnum_ || sections_[s.link].type != kShtSymtab)
        return fail("relocation section " + s.name + " has no symbol table");
      uint32_t entry = s.type == kShtRela ? 12 : 8;
      for (uint64_t at = s.offset; at + entry <= uint64_t{s.offset} + s.size; at += entry) {
        if (!take_relocation(view_.u32(at), view_.u32(at + 4), target, sections_[s.link]))
          return false;
      }
    }
    if (!any_relocation_section)
      result_.warnings.push_back(
          "no relocations kept in the executable: unless the program is position-independent, "
          "link it with ld -q (--emit-relocs)");
    return !view_.bad() || fail("truncated relocation section");
  }

  bool take_relocation(uint32_t offset, uint32_t info, const Section& target,
                       const Section& symtab) {
    uint32_t type = info & 0xFF;
    uint32_t symbol_index = info >> 8;
    if (type == kR68kNone || type == kR68kPc32 || type == kR68kPc16 || type == kR68kPc8)
      return true;
    if (type != kR68k32)
      return fail("unsupported " + relocation_name(type) + " at " + hex(offset) + " in " +
                  target.name + ": only 32-bit absolute and PC-relative references can be loaded");
    if (symbol_index == 0) return true;  // no symbol: an absolute value
    Symbol symbol;
    if (!read_symbol(symtab, symbol_index, symbol)) return false;
    if (symbol.shndx == kShnAbs) return true;
    if (symbol.shndx == kShnUndef)
      return fail("reference to undefined symbol " + symbol.name + " at " + hex(offset));
    if (symbol.shndx != text_ && symbol.shndx != data_ && symbol.shndx != bss_)
      return fail("reference at " + hex(offset) + " to " + symbol.name +
                  ", which is not in .text, .data or .bss");
    if (offset & 1) return fail("relocation at odd address " + hex(offset));
    if (offset < target.addr || uint64_t{offset} + 4 > uint64_t{target.addr} + target.size ||
        uint64_t{offset} + 4 > image_end_)
      return fail("relocation at " + hex(offset) + " lies outside " + target.name);
    image_.fixups.push_back(offset);
    return true;
  }

  const std::vector<uint8_t>& file_;
  BigEndianView view_;
  ProgramImage& image_;
  ReadResult& result_;
  uint32_t shoff_ = 0, shentsize_ = 0, shnum_ = 0, shstrndx_ = 0;
  std::vector<Section> sections_;
  uint32_t text_ = 0, data_ = 0, bss_ = 0;
  uint32_t image_end_ = 0;
};

}  // namespace

ReadResult read_elf(const std::vector<uint8_t>& file, ProgramImage& image) {
  ReadResult result;
  image = ProgramImage{};
  result.ok = Reader(file, image, result).run();
  return result;
}

}  // namespace elf2gemdos
