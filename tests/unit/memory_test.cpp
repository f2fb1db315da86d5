// Reversed byte layout, RAM/I-O split and the direct-access helpers.
#include <gtest/gtest.h>

#include <vector>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/memory_bus.h"
#include "machine/run_state.h"

using namespace machine;

namespace {

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear_memory();
    machine::quit_flag = 0;
  }
};

TEST_F(MemoryTest, LongIsStoredReversedAndReadsBackByteWise) {
  Write32(0x1000, 0x12345678);
  EXPECT_EQ(emu_memory[0xFFEFFF], 0x12);
  EXPECT_EQ(Read8(0x1000), 0x12u);
  EXPECT_EQ(Read8(0x1001), 0x34u);
  EXPECT_EQ(Read8(0x1002), 0x56u);
  EXPECT_EQ(Read8(0x1003), 0x78u);
  EXPECT_EQ(Read16(0x1001), 0x3456u);  // odd addresses are served
  EXPECT_EQ(Read32(0x1000), 0x12345678u);
}

struct AccessCase {
  uint32_t address;
  int width;
};

class WidthTest : public MemoryTest, public ::testing::WithParamInterface<AccessCase> {};

TEST_P(WidthTest, WriteThenReadAgreesWithBytes) {
  const auto [a, width] = GetParam();
  const uint32_t value = 0xA1B2C3D4 >> (32 - 8 * width);
  if (width == 1) Write8(a, value);
  if (width == 2) Write16(a, value);
  if (width == 4) Write32(a, value);
  uint32_t assembled = 0;
  for (int i = 0; i < width; ++i) assembled = (assembled << 8) | peek8(a + i);
  EXPECT_EQ(assembled, value);
  uint32_t read = width == 1 ? Read8(a) : width == 2 ? Read16(a) : Read32(a);
  EXPECT_EQ(read, value);
  EXPECT_EQ(machine::quit_flag, 0u);
}

INSTANTIATE_TEST_SUITE_P(EvenOddAndBoundary, WidthTest,
                         ::testing::Values(AccessCase{0, 1}, AccessCase{0, 2}, AccessCase{0, 4},
                                           AccessCase{0x1235, 2}, AccessCase{0x1235, 4},
                                           AccessCase{0xFF7FFF, 1}, AccessCase{0xFF7FFE, 2},
                                           AccessCase{0xFF7FFF, 2}, AccessCase{0xFF7FFD, 4},
                                           AccessCase{0xFF7FFF, 4}));

TEST_F(MemoryTest, AccessStartingInRamRunsIntoIoBytes) {
  Write32(0xFF7FFE, 0x11223344);
  EXPECT_EQ(peek8(0xFF8000), 0x33u);
  EXPECT_EQ(machine::quit_flag, 0u);
}

TEST_F(MemoryTest, IoReadFailsAndStopsTheRun) {
  for (int width : {1, 2, 4}) {
    machine::quit_flag = 0;
    machine::exit_code = 0;
    testing::internal::CaptureStdout();
    uint32_t v = width == 1 ? Read8(0xFF8000) : width == 2 ? Read16(0xFF8000) : Read32(0xFF8000);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "UNHANDLED I/O READ 00ff8000");
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_EQ(machine::quit_flag, 1u);
    EXPECT_EQ(machine::exit_code, machine::kFailedRunCode);
  }
}

TEST_F(MemoryTest, DirectAccessNearTopWrapsByteWise) {
  poke32(0xFFFFFE, 0xAABBCCDD);
  EXPECT_EQ(peek8(0xFFFFFE), 0xAAu);
  EXPECT_EQ(peek8(0xFFFFFF), 0xBBu);
  EXPECT_EQ(peek8(0x000000), 0xCCu);
  EXPECT_EQ(peek8(0x000001), 0xDDu);
  EXPECT_EQ(peek32(0xFFFFFE), 0xAABBCCDDu);
  poke16(0xFFFFFF, 0x1234);
  EXPECT_EQ(peek16(0xFFFFFF), 0x1234u);
  EXPECT_EQ(peek8(0), 0x34u);
  // Addresses are masked to 24 bits first.
  poke16(0x01001000, 0xBEEF);
  EXPECT_EQ(peek16(0x1000), 0xBEEFu);
}

TEST_F(MemoryTest, ClearingZeroesEveryRegion) {
  const uint32_t addresses[] = {0, 0x4BA, 0x125DC, 0x7FFFF, 0xFE0000, 0xFF8000, 0xFFFFFF};
  for (uint32_t a : addresses) poke8(a, 0xA5);
  clear_memory();
  for (uint32_t a : addresses) EXPECT_EQ(peek8(a), 0u) << std::hex << a;
}

TEST_F(MemoryTest, GuestStringAndBufferCopies) {
  write_guest_string(0x2000, "hello");
  char buf[16];
  EXPECT_EQ(read_guest_string(buf, sizeof buf, 0x2000), 5u);
  EXPECT_STREQ(buf, "hello");
  EXPECT_EQ(read_guest_string(buf, 3, 0x2000), 2u);
  EXPECT_STREQ(buf, "he");
  const uint8_t src[3] = {1, 2, 3};
  copy_to_guest(0xFFFFFF, src, 3);
  uint8_t dst[3];
  copy_from_guest(dst, 0xFFFFFF, 3);
  EXPECT_EQ(dst[0], 1);
  EXPECT_EQ(dst[2], 3);
  EXPECT_EQ(peek8(1), 3u);
}

// The copies go in runs of the reversed array; each byte must still land at
// its own guest address, whatever the start, length and wrap.
TEST_F(MemoryTest, BlockCopiesMatchByteAccessAcrossRunsAndWrap) {
  const struct {
    uint32_t start;
    size_t length;
  } cases[] = {{0x1000, 1},    {0x1001, 7},   {0x2003, 1000},
               {0xFFFFF0, 40}, {0xFFFFFF, 2}, {0xFF7FFD, 0x9000}};
  for (const auto& c : cases) {
    std::vector<uint8_t> src(c.length), back(c.length);
    for (size_t i = 0; i < c.length; ++i) src[i] = static_cast<uint8_t>(i * 13 + 5);
    copy_to_guest(c.start, src.data(), c.length);
    for (size_t i = 0; i < c.length; ++i)
      ASSERT_EQ(peek8(c.start + static_cast<uint32_t>(i)), src[i])
          << std::hex << c.start << " +" << i;
    copy_from_guest(back.data(), c.start, c.length);
    EXPECT_EQ(back, src) << std::hex << c.start;
  }
}

// Longer than the address space: the guest sees the last 16 MB written, and
// a read repeats memory as the address comes round again.
TEST_F(MemoryTest, BlockCopiesLongerThanTheAddressSpaceWrapAgain) {
  const size_t length = kMemorySize + 10;
  std::vector<uint8_t> src(length);
  for (size_t i = 0; i < length; ++i) src[i] = static_cast<uint8_t>(i / 3);
  copy_to_guest(0x100, src.data(), length);
  EXPECT_EQ(peek8(0x100), src[kMemorySize]);
  EXPECT_EQ(peek8(0x109), src[kMemorySize + 9]);
  EXPECT_EQ(peek8(0x10A), src[10]);
  std::vector<uint8_t> back(length);
  copy_from_guest(back.data(), 0x100, length);
  EXPECT_EQ(back[kMemorySize + 5], back[5]);
  EXPECT_EQ(back[5], src[kMemorySize + 5]);
}

}  // namespace
