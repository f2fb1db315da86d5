// The basepage: the 256 bytes below a program's text that describe the
// program to itself. The ROM's reset routine builds the first program's
// (machine/os_rom.s, which names the same fields bp_*), the child loader
// every child's. Offsets from the basepage's address; every field is a long
// except the command line.
#pragma once

#include <cstdint>

namespace machine {

inline constexpr uint32_t kBasepageMemoryStart = 0x00;  // the program's memory: the basepage on
inline constexpr uint32_t kBasepageMemoryEnd = 0x04;    // the first byte above it
inline constexpr uint32_t kBasepageText = 0x08;
inline constexpr uint32_t kBasepageTextLength = 0x0C;
inline constexpr uint32_t kBasepageData = 0x10;
inline constexpr uint32_t kBasepageDataLength = 0x14;
inline constexpr uint32_t kBasepageBss = 0x18;
inline constexpr uint32_t kBasepageBssLength = 0x1C;
inline constexpr uint32_t kBasepageDta = 0x20;     // the DTA the program starts with
inline constexpr uint32_t kBasepageParent = 0x24;  // the parent's basepage; 0 for the first program
inline constexpr uint32_t kBasepageEnvironment = 0x2C;
// The command line: a length byte, the characters, a NUL; 128 bytes, the
// basepage's last, and the DTA a program starts with.
inline constexpr uint32_t kBasepageCommandLine = 0x80;
inline constexpr uint32_t kCommandLineBytes = 128;
inline constexpr uint32_t kBasepageSize = 0x100;

}  // namespace machine
