// The ROM's source and the files generated from it: the test build
// reassembles machine/os_rom.s (tools/make_os_rom.py, into OS_ROM_REASSEMBLED_DIR)
// and the image vellum carries must be its bytes, and the committed
// generated files what the script writes now. Without the cross tools the
// reassembly is not made and the checks are skipped.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "machine/os_rom.h"

namespace {

std::string file_contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The first line where two texts differ, with both versions; empty when equal.
std::string first_difference(const std::string& fresh, const std::string& committed) {
  std::istringstream a(fresh), b(committed);
  std::string x, y;
  for (int line = 1;; ++line) {
    const bool more_a = static_cast<bool>(std::getline(a, x));
    const bool more_b = static_cast<bool>(std::getline(b, y));
    if (!more_a && !more_b) return "";
    if (!more_a || !more_b || x != y)
      return "line " + std::to_string(line) + ": the script writes \"" + (more_a ? x : "") +
             "\", the committed file has \"" + (more_b ? y : "") + "\"";
  }
}

bool reassembled() {
  return std::string(OS_ROM_REASSEMBLED_DIR).size() > 0;
}

TEST(OsRomSource, ReassembledImageIsTheImageVellumCarries) {
  if (!reassembled())
    GTEST_SKIP() << "m68k binutils or Python not found: the ROM was not reassembled";
  const std::string bytes = file_contents(std::string(OS_ROM_REASSEMBLED_DIR) + "/os_rom.bin");
  ASSERT_EQ(bytes.size(), machine::kOsRomSize);
  for (uint32_t i = 0; i < machine::kOsRomSize; ++i)
    ASSERT_EQ(static_cast<uint8_t>(bytes[i]), machine::kOsRomImage[i])
        << "first difference at 0x" << std::hex << machine::kOsRomBase + i;
}

// Catches a source edited without running the script again, and a generated
// file edited by hand.
TEST(OsRomSource, CommittedFilesAreWhatTheScriptWrites) {
  if (!reassembled())
    GTEST_SKIP() << "m68k binutils or Python not found: the ROM was not reassembled";
  for (const char* name : {"os_rom_image.cpp", "os_rom_symbols.h"}) {
    const std::string fresh = file_contents(std::string(OS_ROM_REASSEMBLED_DIR) + "/" + name);
    ASSERT_FALSE(fresh.empty()) << name;
    const std::string committed = file_contents(std::string(OS_ROM_COMMITTED_DIR) + "/" + name);
    EXPECT_EQ(first_difference(fresh, committed), "")
        << "machine/" << name << " is not what tools/make_os_rom.py writes from machine/os_rom.s";
  }
}

}  // namespace
