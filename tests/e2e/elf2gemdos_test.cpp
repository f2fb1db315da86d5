// elf2gemdos: the relocation table encoding, the program file layout, and
// reading linked ELF files built here in memory.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>

#include "elf_reader.h"
#include "program_image.h"

namespace {

using Bytes = std::vector<uint8_t>;
using elf2gemdos::ProgramImage;

// Walks a relocation table the way the loader does and lists the offsets it
// would fix up.
std::vector<uint32_t> loader_offsets(const Bytes& table) {
  std::vector<uint32_t> offsets;
  uint32_t cursor = (uint32_t{table[0]} << 24) | (table[1] << 16) | (table[2] << 8) | table[3];
  if (cursor == 0) return offsets;
  offsets.push_back(cursor);
  for (size_t i = 4; i < table.size(); ++i) {
    if (table[i] == 0) break;
    cursor += table[i] == 1 ? 254 : table[i];
    if (table[i] != 1) offsets.push_back(cursor);
  }
  return offsets;
}

struct EncodeCase {
  const char* name;
  std::vector<uint32_t> offsets;
  Bytes table;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
  *os << c.name;
}

class EncodeRelocations : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeRelocations, GivesTheLoaderItsTable) {
  Bytes out;
  std::string error;
  ASSERT_TRUE(elf2gemdos::encode_relocations(GetParam().offsets, out, error)) << error;
  EXPECT_EQ(out, GetParam().table);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, EncodeRelocations,
    ::testing::Values(EncodeCase{"Nothing", {}, {0, 0, 0, 0}},
                      EncodeCase{"One", {8}, {0, 0, 0, 8, 0}},
                      EncodeCase{"Adjacent", {2, 6}, {0, 0, 0, 2, 4, 0}},
                      EncodeCase{"Step254", {2, 256}, {0, 0, 0, 2, 254, 0}},
                      EncodeCase{"Step256", {2, 258}, {0, 0, 0, 2, 1, 2, 0}},
                      EncodeCase{"Step508", {2, 510}, {0, 0, 0, 2, 1, 254, 0}},
                      EncodeCase{"Step1000", {2, 1002}, {0, 0, 0, 2, 1, 1, 1, 238, 0}},
                      EncodeCase{"Unsorted", {40, 4, 20}, {0, 0, 0, 4, 16, 20, 0}},
                      EncodeCase{"LargeFirstOffset", {0x12345678}, {0x12, 0x34, 0x56, 0x78, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncodeRelocationsRoundTrip, LoaderFindsEveryOffset) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 200; ++round) {
    std::set<uint32_t> unique;
    int count = 1 + static_cast<int>(rng() % 40);
    while (static_cast<int>(unique.size()) < count) unique.insert(2 + 2 * (rng() % 5000));
    std::vector<uint32_t> offsets(unique.begin(), unique.end());
    std::shuffle(offsets.begin(), offsets.end(), rng);
    Bytes table;
    std::string error;
    ASSERT_TRUE(elf2gemdos::encode_relocations(offsets, table, error)) << error;
    std::sort(offsets.begin(), offsets.end());
    EXPECT_EQ(loader_offsets(table), offsets);
    EXPECT_EQ(table.back(), 0);
  }
}

TEST(EncodeRelocationsRefuses, WhatTheTableCannotSay) {
  const struct {
    std::vector<uint32_t> offsets;
    const char* why;
  } cases[] = {{{3}, "odd"}, {{4, 10, 7}, "odd"}, {{4, 8, 4}, "two relocations"}, {{0, 4}, "0"}};
  for (const auto& c : cases) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(elf2gemdos::encode_relocations(c.offsets, out, error));
    EXPECT_NE(error.find(c.why), std::string::npos) << error;
  }
}

uint32_t be32(const Bytes& b, size_t at) {
  return (uint32_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

TEST(WriteProgramFile, HeaderSegmentsAndTable) {
  ProgramImage image;
  image.text = {0x4E, 0x71, 0x4E, 0x75, 0, 0, 0, 0};
  image.data = {1, 2, 3, 4};
  image.bss_length = 0x100;
  image.fixups = {4, 8};
  Bytes file;
  std::string error;
  ASSERT_TRUE(elf2gemdos::write_program_file(image, file, error)) << error;
  ASSERT_EQ(file.size(), 28u + 8 + 4 + 6);
  EXPECT_EQ(file[0], 0x60);
  EXPECT_EQ(file[1], 0x1A);
  EXPECT_EQ(be32(file, 2), 8u);       // text
  EXPECT_EQ(be32(file, 6), 4u);       // data
  EXPECT_EQ(be32(file, 10), 0x100u);  // BSS
  EXPECT_EQ(be32(file, 14), 0u);      // symbols
  EXPECT_EQ(be32(file, 22), 0u);      // flags
  EXPECT_EQ(file[26] | file[27], 0);  // relocatable
  EXPECT_EQ(Bytes(file.begin() + 28, file.begin() + 36), image.text);
  EXPECT_EQ(Bytes(file.begin() + 36, file.begin() + 40), image.data);
  EXPECT_EQ(Bytes(file.begin() + 40, file.end()), (Bytes{0, 0, 0, 4, 4, 0}));
}

TEST(WriteProgramFile, RefusesOddSegmentsAndStrayFixups) {
  std::string error;
  Bytes file;
  ProgramImage odd;
  odd.text = {0x4E, 0x71, 0};
  EXPECT_FALSE(elf2gemdos::write_program_file(odd, file, error));
  ProgramImage stray;
  stray.text = {0, 0, 0, 0, 0, 0};
  stray.fixups = {4};  // the long at 4 would run past the text
  EXPECT_FALSE(elf2gemdos::write_program_file(stray, file, error));
  EXPECT_NE(error.find("outside"), std::string::npos) << error;
}

// A linked 68000 executable assembled in memory: sections as given, then the
// section name table and the section headers.
struct Section {
  Section() = default;
  Section(std::string n, uint32_t t, uint32_t f, uint32_t a, Bytes d, uint32_t l = 0,
          uint32_t i = 0, uint32_t e = 0)
      : name(std::move(n)),
        type(t),
        flags(f),
        addr(a),
        data(std::move(d)),
        link(l),
        info(i),
        entsize(e) {}
  std::string name;
  uint32_t type = 0, flags = 0, addr = 0;
  Bytes data;
  uint32_t nobits_size = 0;  // size of a NOBITS section
  uint32_t link = 0, info = 0, entsize = 0;
};

struct ElfFile {
  uint8_t elf_class = 1, endian = 2;
  uint16_t type = 2, machine = 4;
  uint32_t flags = 0x01000000;
  std::vector<Section> sections = std::vector<Section>(1);

  Bytes build() const {
    Bytes out(52, 0);
    std::vector<uint32_t> offsets;
    Bytes names{0};
    std::vector<uint32_t> name_at;
    for (const Section& s : sections) {
      while (out.size() % 4) out.push_back(0);
      offsets.push_back(static_cast<uint32_t>(out.size()));
      out.insert(out.end(), s.data.begin(), s.data.end());
      name_at.push_back(static_cast<uint32_t>(names.size()));
      names.insert(names.end(), s.name.begin(), s.name.end());
      names.push_back(0);
    }
    uint32_t names_offset = static_cast<uint32_t>(out.size());
    uint32_t shstrtab_name = static_cast<uint32_t>(names.size());
    for (char c : std::string(".shstrtab")) names.push_back(static_cast<uint8_t>(c));
    names.push_back(0);
    out.insert(out.end(), names.begin(), names.end());
    while (out.size() % 4) out.push_back(0);
    uint32_t shoff = static_cast<uint32_t>(out.size());
    auto put = [&out](size_t at, uint32_t v, int bytes) {
      for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * (bytes - 1 - i)));
    };
    auto header = [&](uint32_t name, uint32_t type, uint32_t flags, uint32_t addr, uint32_t offset,
                      uint32_t size, uint32_t link, uint32_t info, uint32_t entsize) {
      size_t at = out.size();
      out.resize(at + 40, 0);
      put(at, name, 4);
      put(at + 4, type, 4);
      put(at + 8, flags, 4);
      put(at + 12, addr, 4);
      put(at + 16, offset, 4);
      put(at + 20, size, 4);
      put(at + 24, link, 4);
      put(at + 28, info, 4);
      put(at + 36, entsize, 4);
    };
    for (size_t i = 0; i < sections.size(); ++i) {
      const Section& s = sections[i];
      uint32_t size = s.type == 8 ? s.nobits_size : static_cast<uint32_t>(s.data.size());
      header(i ? name_at[i] : 0, s.type, s.flags, s.addr, offsets[i], size, s.link, s.info,
             s.entsize);
    }
    header(shstrtab_name, 3, 0, 0, names_offset, static_cast<uint32_t>(names.size()), 0, 0, 0);
    out[0] = 0x7F;
    out[1] = 'E';
    out[2] = 'L';
    out[3] = 'F';
    out[4] = elf_class;
    out[5] = endian;
    out[6] = 1;
    put(16, type, 2);
    put(18, machine, 2);
    put(20, 1, 4);
    put(32, shoff, 4);
    put(36, flags, 4);
    put(40, 52, 2);
    put(46, 40, 2);
    put(48, static_cast<uint32_t>(sections.size() + 1), 2);
    put(50, static_cast<uint32_t>(sections.size()), 2);
    return out;
  }
};

Bytes be_words(std::initializer_list<uint32_t> longs) {
  Bytes b;
  for (uint32_t v : longs)
    for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return b;
}

Bytes symbol(uint32_t name, uint32_t value, uint8_t info, uint16_t shndx) {
  Bytes b = be_words({name, value, 0});
  b.push_back(info);
  b.push_back(0);
  b.push_back(static_cast<uint8_t>(shndx >> 8));
  b.push_back(static_cast<uint8_t>(shndx));
  return b;
}

constexpr uint32_t kR32 = 1, kR16 = 2, kPc16 = 5;
constexpr uint32_t kSymText = 1, kSymData = 2, kSymBss = 3, kSymAbs = 4, kSymUndef = 5;
constexpr int kText = 1, kData = 2, kBss = 3, kSymtab = 4, kRelaText = 6, kRelaData = 7;

// A small program: 16 bytes of text at 0, 8 bytes of data at 0x14 (after a
// 4-byte alignment gap), 0x20 bytes of BSS, and relocations of each kind.
ElfFile sample_program() {
  ElfFile f;
  Bytes text = be_words({0x207C0000, 0x00146100, 0x00044E75, 0x4E714E71});
  f.sections.push_back({".text", 1, 6, 0, text});
  f.sections.push_back({".data", 1, 3, 0x14, be_words({0x1C, 0x00ABCDEF})});
  Section bss(".bss", 8, 3, 0x1C, {});
  bss.nobits_size = 0x20;
  f.sections.push_back(bss);
  Bytes symbols = symbol(0, 0, 0, 0);
  for (uint16_t shndx : {1, 2, 3}) {
    Bytes s = symbol(0, 0, 3, shndx);
    symbols.insert(symbols.end(), s.begin(), s.end());
  }
  for (Bytes s : {symbol(1, 0x00ABCDEF, 0x10, 0xFFF1), symbol(5, 0, 0x10, 0)})
    symbols.insert(symbols.end(), s.begin(), s.end());
  f.sections.push_back({".symtab", 2, 0, 0, symbols, 5, 4, 16});
  f.sections.push_back({".strtab", 3, 0, 0, {0, 'a', 'b', 's', 0, 'u', 'n', 'd', 'e', 'f', 0}});
  // .text: an absolute pointer to .data at 2, a PC-relative branch at 6.
  f.sections.push_back({".rela.text", 4, 0x40, 0,
                        be_words({2, (kSymData << 8) | kR32, 0x14, 6, (kSymText << 8) | kPc16, 0}),
                        kSymtab, kText, 12});
  // .data: a pointer to .bss at 0x14 and an absolute symbol at 0x18.
  f.sections.push_back({".rela.data", 4, 0x40, 0,
                        be_words({0x14, (kSymBss << 8) | kR32, 0, 0x18, (kSymAbs << 8) | kR32, 0}),
                        kSymtab, kData, 12});
  return f;
}

TEST(ReadElf, ConvertsTheSampleProgram) {
  ProgramImage image;
  elf2gemdos::ReadResult r = elf2gemdos::read_elf(sample_program().build(), image);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.warnings.empty());
  Bytes text = be_words({0x207C0000, 0x00146100, 0x00044E75, 0x4E714E71, 0});
  EXPECT_EQ(image.text, text);  // padded up to the data start
  EXPECT_EQ(image.data, be_words({0x1C, 0x00ABCDEF}));
  EXPECT_EQ(image.bss_length, 0x20u);
  std::vector<uint32_t> fixups = image.fixups;
  std::sort(fixups.begin(), fixups.end());
  EXPECT_EQ(fixups, (std::vector<uint32_t>{2, 0x14}));
}

TEST(ReadElf, WarnsWithoutKeptRelocations) {
  ElfFile f = sample_program();
  f.sections[kRelaText].type = 1;  // no longer relocation sections
  f.sections[kRelaData].type = 1;
  f.sections[kRelaText].flags = f.sections[kRelaData].flags = 0;
  ProgramImage image;
  elf2gemdos::ReadResult r = elf2gemdos::read_elf(f.build(), image);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_NE(r.warnings[0].find("-q"), std::string::npos);
  EXPECT_TRUE(image.fixups.empty());
}

struct RejectCase {
  const char* name;
  std::function<void(ElfFile&)> change;
  const char* message;
};

void PrintTo(const RejectCase& c, std::ostream* os) {
  *os << c.name;
}

class ReadElfRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(ReadElfRejects, WithAMessage) {
  ElfFile f = sample_program();
  GetParam().change(f);
  ProgramImage image;
  elf2gemdos::ReadResult r = elf2gemdos::read_elf(f.build(), image);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(GetParam().message), std::string::npos) << r.error;
}

void set_relocation(ElfFile& f, int section, uint32_t offset, uint32_t symbol, uint32_t type) {
  f.sections[section].data = be_words({offset, (symbol << 8) | type, 0});
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReadElfRejects,
    ::testing::Values(
        RejectCase{"Class64", [](ElfFile& f) { f.elf_class = 2; }, "32-bit"},
        RejectCase{"LittleEndian", [](ElfFile& f) { f.endian = 1; }, "big-endian"},
        RejectCase{"OtherMachine", [](ElfFile& f) { f.machine = 3; }, "not a 68000"},
        RejectCase{"ObjectFile", [](ElfFile& f) { f.type = 1; }, "link"},
        RejectCase{"LaterModel", [](ElfFile& f) { f.flags = 0; }, "-m68000"},
        RejectCase{"TextNotAtZero", [](ElfFile& f) { f.sections[kText].addr = 0x1000; },
                   "address 0"},
        RejectCase{"ExtraSection", [](ElfFile& f) { f.sections[kData].name = ".rodata"; },
                   ".rodata"},
        RejectCase{"DataOverlapsText", [](ElfFile& f) { f.sections[kData].addr = 8; }, "overlaps"},
        RejectCase{"OddBss", [](ElfFile& f) { f.sections[kBss].addr = 0x1D; }, "odd"},
        RejectCase{"Absolute16",
                   [](ElfFile& f) { set_relocation(f, kRelaText, 2, kSymData, kR16); }, "R_68K_16"},
        RejectCase{"UnknownType", [](ElfFile& f) { set_relocation(f, kRelaText, 2, kSymData, 99); },
                   "99"},
        RejectCase{"OddOffset", [](ElfFile& f) { set_relocation(f, kRelaText, 3, kSymData, kR32); },
                   "odd"},
        RejectCase{"UndefinedSymbol",
                   [](ElfFile& f) { set_relocation(f, kRelaText, 2, kSymUndef, kR32); },
                   "undefined symbol undef"},
        RejectCase{"OutsideItsSection",
                   [](ElfFile& f) { set_relocation(f, kRelaText, 0x14, kSymData, kR32); },
                   "outside .text"},
        RejectCase{"InBss", [](ElfFile& f) { f.sections[kRelaData].info = kBss; }, ".bss"},
        RejectCase{"MissingSymbol", [](ElfFile& f) { set_relocation(f, kRelaText, 2, 40, kR32); },
                   "does not exist"},
        RejectCase{"TruncatedSection", [](ElfFile& f) { f.sections[kText].data.resize(0); },
                   "no .text"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadElfRejects, TruncatedFilesWithoutCrashing) {
  Bytes whole = sample_program().build();
  for (size_t length : {size_t{0}, size_t{4}, size_t{51}, whole.size() / 2, whole.size() - 1}) {
    ProgramImage image;
    elf2gemdos::ReadResult r =
        elf2gemdos::read_elf(Bytes(whole.begin(), whole.begin() + length), image);
    EXPECT_FALSE(r.ok) << "length " << length;
    EXPECT_FALSE(r.error.empty());
  }
}

// The command itself: exit status, message on standard error, and no output
// file when the input is refused.
struct CommandResult {
  int status;
  std::string output;
};

CommandResult run_tool(const std::string& arguments) {
  std::string command = std::string(ELF2GEMDOS_BINARY) + " " + arguments + " 2>&1";
  CommandResult r{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
  int status = pclose(pipe);
  if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
  return r;
}

class ToolCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() / ("elf2gemdos-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  void write(const char* name, const Bytes& bytes) const {
    std::ofstream(path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }
  std::filesystem::path dir_;
};

TEST_F(ToolCommand, ConvertsAnExecutable) {
  write("in.elf", sample_program().build());
  CommandResult r = run_tool(path("in.elf") + " " + path("out.tos"));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "");
  std::ifstream in(path("out.tos"), std::ios::binary);
  Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ProgramImage image;
  ASSERT_TRUE(elf2gemdos::read_elf(sample_program().build(), image).ok);
  Bytes expected;
  std::string error;
  ASSERT_TRUE(elf2gemdos::write_program_file(image, expected, error));
  EXPECT_EQ(written, expected);
}

TEST_F(ToolCommand, RefusesWithStatusAndMessage) {
  ElfFile later_model = sample_program();
  later_model.flags = 0;
  write("later.elf", later_model.build());
  write("text.elf", Bytes{'h', 'e', 'l', 'l', 'o'});
  const struct {
    std::string arguments;
    int status;
    const char* message;
  } cases[] = {
      {"", 2, "Usage: elf2gemdos"},
      {path("text.elf") + " " + path("out.tos"), 1, "not an ELF file"},
      {path("later.elf") + " " + path("out.tos"), 1, "-m68000"},
      {path("missing.elf") + " " + path("out.tos"), 1, "cannot open"},
  };
  for (const auto& c : cases) {
    CommandResult r = run_tool(c.arguments);
    EXPECT_EQ(r.status, c.status) << c.arguments;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(path("out.tos"))) << c.arguments;
  }
}

}  // namespace
