#include "oscalls/line_a.h"

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/memory_bus.h"
#include "machine/trace.h"

namespace oscalls {

namespace {

using machine::poke16;
using machine::poke32;
using machine::poke8;

// The screen the variables describe.
constexpr uint32_t kScreenWidth = 640, kScreenHeight = 400, kBytesPerLine = kScreenWidth / 8;
constexpr uint32_t kCellHeight = 16;
constexpr uint32_t kColumns = kScreenWidth / 8, kRows = kScreenHeight / kCellHeight;

// Below the variable block's base and its routine table: an RTS for the
// routines, the VDI parameter arrays that the drawing calls read through the
// block's pointers, a solid fill pattern, the three font headers, the
// character offset tables (one per cell width) and the font data, blank
// glyphs that all three fonts share.
constexpr uint32_t kRoutineReturn = kLineARoutineTable + 16 * 4;
constexpr uint32_t kFillPattern = kRoutineReturn + 2;
constexpr uint32_t kControl = kLineARoutineTable + 0x80;
constexpr uint32_t kIntIn = kControl + 0x40;
constexpr uint32_t kPointsIn = kIntIn + 0x100;
constexpr uint32_t kIntOut = kPointsIn + 0x200;
constexpr uint32_t kPointsOut = kIntOut + 0x100;
constexpr uint32_t kFontHeaders = kPointsOut + 0x100;
constexpr uint32_t kFontHeaderSize = 0x58, kFontHeaderStride = 0x60;
static_assert(kFontHeaderSize <= kFontHeaderStride);
constexpr uint32_t kOffsetTables = kFontHeaders + 3 * kFontHeaderStride;
constexpr uint32_t kOffsetTableStride = 0x220;  // 257 words, rounded up
constexpr uint32_t kFontData = (kOffsetTables + 2 * kOffsetTableStride + 0xFF) & ~0xFFu;
constexpr uint32_t kFontDataSize = 256 * kCellHeight;  // the largest: 8x16
static_assert(kFontData + kFontDataSize <= machine::kLongEnvironment,
              "the Line-A data stays below the long environment");

constexpr uint16_t kRts = 0x4E75;

struct SystemFont {
  const char* name;
  uint16_t points, width, height;
  uint16_t top, ascent, half, descent, bottom;
};

constexpr SystemFont kFonts[3] = {
    {"6x6 system font", 8, 6, 6, 4, 4, 3, 1, 1},
    {"8x8 system font", 9, 8, 8, 6, 6, 4, 1, 1},
    {"8x16 system font", 10, 8, 16, 13, 11, 8, 2, 2},
};
constexpr unsigned kConsoleFont = 2;  // the 8x16 one

uint32_t font_header(unsigned font) {
  return kFontHeaders + font * kFontHeaderStride;
}
uint32_t offset_table(unsigned font) {
  return kOffsetTables + (kFonts[font].width == 8 ? kOffsetTableStride : 0);
}

// A GEM font header: the first 256 characters, all one width, no
// horizontal offset table; the fonts are chained 6x6, 8x8, 8x16.
void write_font(unsigned font) {
  const SystemFont& f = kFonts[font];
  const uint32_t h = font_header(font);
  poke16(h + 0, 1);  // face id: the system font
  poke16(h + 2, f.points);
  machine::write_guest_string(h + 4, f.name);
  poke16(h + 36, 0);    // first character
  poke16(h + 38, 255);  // last character
  poke16(h + 40, f.top);
  poke16(h + 42, f.ascent);
  poke16(h + 44, f.half);
  poke16(h + 46, f.descent);
  poke16(h + 48, f.bottom);
  poke16(h + 50, f.width);  // widest character
  poke16(h + 52, f.width);  // widest cell
  poke16(h + 58, 1);        // thickening for bold
  poke16(h + 60, 1);        // underline height
  poke16(h + 62, 0x5555);   // lightening mask
  poke16(h + 64, 0x5555);   // skewing mask
  poke16(h + 66, 0x0008);   // flags: monospaced
  poke32(h + 72, offset_table(font));
  poke32(h + 76, kFontData);
  poke16(h + 80, 256 * f.width / 8);  // bytes per line of the font form
  poke16(h + 82, f.height);
  poke32(h + 84, font + 1 < 3 ? font_header(font + 1) : 0);
  for (uint32_t c = 0; c <= 256; ++c) poke16(offset_table(font) + 2 * c, c * f.width);
}

// Offsets of the variable block's fields from its base (negative ones lie
// below it), named as the OS's documentation names them.
enum VariableOffset : int32_t {
  kPlanes = 0,
  kLineBytes = 2,
  kControlArray = 4,
  kIntInArray = 8,
  kPointsInArray = 12,
  kIntOutArray = 16,
  kPointsOutArray = 20,
  kColourBit0 = 24,
  kLastLine = 32,
  kLineMask = 34,
  kPatternPointer = 46,
  kClipMaxX = 60,
  kClipMaxY = 62,
  kFontBase = 84,
  kFontWidth = 88,
  kBytesLin = -2,
  kResolutionV = -4,
  kOffsetTable = -10,
  kResolutionH = -12,
  kFormWidth = -14,
  kFirstChar = -16,
  kLastChar = -18,
  kFontAddress = -22,
  kCursorCount = -23,  // bytes
  kCursorPeriod = -24,
  kTextForeground = -36,
  kTextBackground = -38,
  kCellRowBytes = -40,
  kMaxRow = -42,
  kMaxColumn = -44,
  kCellHeightField = -46,
  kMouseHideCount = -598,
  kDeviceTable = -692,   // 45 words: the open-workstation answer
  kInquiryTable = -782,  // 45 words: the extended inquiry answer
  kCurrentFont = -906,
};

// The fields a program reads to learn the screen and the text console, and
// the pointers the drawing calls follow. The rest stays zero.
void write_variables() {
  constexpr uint32_t v = kLineAVariables;
  auto word = [](int32_t offset, uint32_t value) { poke16(v + offset, value); };
  auto address = [](int32_t offset, uint32_t value) { poke32(v + offset, value); };
  const SystemFont& font = kFonts[kConsoleFont];
  const uint32_t form_width = 256 * font.width / 8;
  word(kPlanes, 1);
  word(kLineBytes, kBytesPerLine);
  address(kControlArray, kControl);
  address(kIntInArray, kIntIn);
  address(kPointsInArray, kPointsIn);
  address(kIntOutArray, kIntOut);
  address(kPointsOutArray, kPointsOut);
  word(kColourBit0, 1);  // black on white
  word(kLastLine, 0xFFFF);
  word(kLineMask, 0xFFFF);  // solid lines
  address(kPatternPointer, kFillPattern);
  word(kClipMaxX, kScreenWidth - 1);
  word(kClipMaxY, kScreenHeight - 1);
  address(kFontBase, kFontData);
  word(kFontWidth, form_width);
  word(kBytesLin, kBytesPerLine);
  word(kResolutionV, kScreenHeight);
  address(kOffsetTable, offset_table(kConsoleFont));
  word(kResolutionH, kScreenWidth);
  word(kFormWidth, form_width);
  word(kFirstChar, 0);
  word(kLastChar, 255);
  address(kFontAddress, kFontData);
  poke8(v + kCursorCount, 30);
  poke8(v + kCursorPeriod, 30);
  word(kTextForeground, 1);
  word(kTextBackground, 0);
  word(kCellRowBytes, kBytesPerLine * kCellHeight);
  word(kMaxRow, kRows - 1);
  word(kMaxColumn, kColumns - 1);
  word(kCellHeightField, kCellHeight);
  word(kMouseHideCount, 1);  // hidden
  word(kDeviceTable + 0, kScreenWidth - 1);
  word(kDeviceTable + 2, kScreenHeight - 1);
  word(kDeviceTable + 2 * 13, 2);  // colours
  word(kInquiryTable + 2 * 4, 1);  // planes
  address(kCurrentFont, font_header(kConsoleFont));
}

const char* const kCallNames[16] = {
    "Initialize",          "Put pixel",        "Get pixel",        "Arbitrary line",
    "Horizontal line",     "Filled rectangle", "Filled polygon",   "Bit block transfer",
    "Text block transfer", "Show mouse",       "Hide mouse",       "Transform mouse",
    "Undraw sprite",       "Draw sprite",      "Copy raster form", "Seed fill",
};

// Written at the first $A000, which is how a program learns where they are:
// a run that never asks finds the memory above the ROM as it always was.
bool data_written;

void write_line_a_data() {
  write_variables();
  for (unsigned font = 0; font < 3; ++font) {
    write_font(font);
    poke32(kLineAFontTable + 4 * font, font_header(font));
  }
  for (uint32_t r = 0; r < 16; ++r) poke32(kLineARoutineTable + 4 * r, kRoutineReturn);
  poke16(kRoutineReturn, kRts);
  poke16(kFillPattern, 0xFFFF);
  data_written = true;
}

}  // namespace

void install_line_a() {
  data_written = false;
  machine::register_line_a_service(line_a_call);
}

// The call returns past its opcode through the ROM's RTE, which restores the
// SR and PC of the frame exactly as a Line-A handler's RTE would.
bool line_a_call(uint32_t frame) {
  const uint32_t pc = machine::peek32(frame + 2);
  const uint32_t opcode = machine::peek16(pc);
  if ((opcode & 0xFFF0) != 0xA000) return false;
  const unsigned call = opcode & 0xF;
  if (call == 0) {
    if (!data_written) write_line_a_data();
    m68k::set_register(m68k::kD0, kLineAVariables);
    m68k::set_register(m68k::kA0, kLineAVariables);
    m68k::set_register(m68k::kA0 + 1, kLineAFontTable);
    m68k::set_register(m68k::kA0 + 2, kLineARoutineTable);
    machine::trace_printf("LINE-A 0x%04x %s: variables 0x%06x, fonts 0x%06x, routines 0x%06x\n",
                          opcode, kCallNames[call], kLineAVariables, kLineAFontTable,
                          kLineARoutineTable);
  } else {
    machine::trace_printf("LINE-A 0x%04x %s: nothing to draw\n", opcode, kCallNames[call]);
  }
  machine::poke32(frame + 2, pc + 2);
  m68k::set_register(m68k::kPC, machine::kRomExceptionReturn);
  return true;
}

}  // namespace oscalls
