// The ROM image: header fields, the mirrored reset vectors, every exception
// stub and the OS call stubs.
#include "machine/os_rom.h"

#include <gtest/gtest.h>

#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "runner/runner.h"

using namespace machine;

namespace {

TEST(OsRom, HeaderFields) {
  struct Field {
    uint32_t offset, value;
  };
  const Field fields[] = {{0x00, 0x602E0104}, {0x04, 0x00FE0030}, {0x08, 0x00FE0000},
                          {0x0C, 0x000125DC}, {0x10, 0x00FE0030}, {0x14, 0x000124E8},
                          {0x18, 0x25082018}, {0x1C, 0},          {0x20, 0},
                          {0x24, 0x00FE027C}, {0x28, 0x00FE037C}, {0x2C, 0x454D5520}};
  ASSERT_TRUE(runner::machine_setup());
  for (const Field& f : fields) EXPECT_EQ(peek32(kOsRomBase + f.offset), f.value) << f.offset;
  EXPECT_EQ(peek32(0), 0x602E0104u);
  EXPECT_EQ(peek32(4), 0x00FE0030u);
  EXPECT_EQ(runner::load_address, 0x125DCu);
  EXPECT_EQ(runner::command_tail_address, 0xFE027Cu);
  EXPECT_EQ(peek8(0xFE037C), 0u);
}

TEST(OsRom, ResetRoutineStartsAndEndsWhereTheStubsBegin) {
  ASSERT_TRUE(runner::machine_setup());
  EXPECT_EQ(peek32(0xFE0030), 0x46FC2700u);  // MOVE.W #$2700,SR
  EXPECT_EQ(peek16(0xFE0140), 0x4ED2u);      // JMP (A2), the last instruction
}

TEST(OsRom, AllSixtyTwoExceptionStubsWriteA7ToTheirChannel) {
  ASSERT_TRUE(runner::machine_setup());
  for (uint32_t v = 2; v <= 63; ++v) {
    uint32_t stub = kExceptionStubs + 4 * (v - 2);
    EXPECT_EQ(peek16(stub), 0x21CFu) << v;
    EXPECT_EQ(peek16(stub + 2), 0xFF00 + 4 * v) << v;
  }
}

TEST(OsRom, OsCallStubs) {
  ASSERT_TRUE(runner::machine_setup());
  struct Stub {
    uint32_t address, channel;
  };
  for (Stub s : {Stub{kGemdosStub, 0xFF84}, Stub{kBiosStub, 0xFFB4}, Stub{kXbiosStub, 0xFFB8}}) {
    EXPECT_EQ(peek32(s.address), 0x08170005u);
    EXPECT_EQ(peek32(s.address + 4), 0x66044E68u);
    EXPECT_EQ(peek32(s.address + 8), 0x600441EFu);
    EXPECT_EQ(peek16(s.address + 12), 0x0006u);
    EXPECT_EQ(peek32(s.address + 14), 0x21C80000u | s.channel);
    EXPECT_EQ(peek16(s.address + 18), 0x4E73u);
  }
  EXPECT_EQ(peek32(kAesVdiStub), 0x21CFFF88u);
  EXPECT_EQ(peek16(kAesVdiStub + 4), 0x4E73u);
  for (uint32_t i = 0; i < 0x100; ++i) EXPECT_EQ(kOsRomImage[0x27C + i], 0) << i;
}

TEST(OsRom, WrongMagicIsRefused) {
  ASSERT_TRUE(runner::machine_setup());
  poke8(0xFE002F, 'X');
  EXPECT_FALSE(os_rom_magic_ok());
}

}  // namespace
