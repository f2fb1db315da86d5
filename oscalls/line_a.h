// Line-A: the low-level graphics calls $A000 to $A00F. Console programs use
// them to learn the size of the text console ($A000, initialize) or to hide
// the mouse at start. There is no screen here: $A000 answers a variable
// block, font headers and a routine table that describe a monochrome
// 640x400 screen of 80 columns and 25 rows of the 8x16 font, kept in the
// system area above the ROM (no program's memory); the drawing, sprite and
// mouse calls return having done nothing, as on a screen nobody sees.
// Opcodes past $A00F are no calls, and stay a fault.
#pragma once

#include <cstdint>

#include "machine/os_rom.h"

namespace oscalls {

// Where $A000 points. A0 (and D0) is the base of the variable block, whose
// fields lie on both sides of it; A1 the table of the three system font
// headers (6x6, 8x8, 8x16); A2 the table of the 16 routines, each a bare
// RTS for a program that calls one directly.
inline constexpr uint32_t kLineAVariables = machine::kLineAArea + 0x400;
inline constexpr uint32_t kLineAFontTable = kLineAVariables + 0x80;
inline constexpr uint32_t kLineARoutineTable = kLineAFontTable + 0x10;

// Registers the Line-A service with the machine (machine set-up, after the
// memory clear). The variables, fonts and tables go into the system area at
// the program's first $A000.
void install_line_a();

// The service: a defined Line-A call, done; anything else left to the fault
// report. Exposed for tests.
bool line_a_call(uint32_t frame);

}  // namespace oscalls
