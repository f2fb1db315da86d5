// Console calls of GEMDOS and BIOS: character and string output to standard
// output, keys and lines from standard input, and the status calls.
//
// Keys: a host LF (or a CR LF pair) arrives as the CR the ST keyboard sends
// for Return; the answer has the character in bits 0-7 and scan code 0.
// Echo: Cconin and Cconrs echo what they read unless standard input is a
// terminal, whose own echo already shows it.
// End of input: a call that waits for input answers as if an empty key or
// line came (0, an empty line, Fread's 0) up to kAnswersAfterEnd times; the
// next such call ends the run with a line saying why, since nothing can
// ever arrive. The polling calls just answer "nothing waiting".
#pragma once

#include <cstdint>

#include "oscalls/call_params.h"

namespace oscalls {

inline constexpr unsigned kAnswersAfterEnd = 16;
inline constexpr const char* kInputEndedMessage = "INPUT ENDED WHILE THE PROGRAM WAITS FOR MORE";

// Start-up: input from `fd` (standard input in vellum).
void console_reset(int fd);

// Fread from handle 0: raw bytes, untranslated, no echo.
int32_t console_read(int32_t count, uint32_t buffer);
// Fread from a device that never has input (AUX:, PRN:): waiting at the end
// of input, as Cauxin does; 0 bytes.
int32_t no_input_read(int32_t count);

// GEMDOS.
void cconin();
void cconout(CharWord c);
void cauxin();
void cauxout(CharWord c);
void cprnout(CharWord c);
void crawio(CharWord c);
void crawcin();
void cnecin();
void cconws(StringPointer string);
void cconrs(Pointer buffer);
void cconis();
// Cconos, Cprnos, Cauxos: every output device is always ready.
void output_ready();
// Cauxis: the auxiliary device has no input.
void answer_zero();

// BIOS, with the device word first.
void bconstat(Word device);
void bconin(Word device);
void bconout(Word device, CharWord c);
// Ready, whichever device it asks about.
void bcostat(Word device);

}  // namespace oscalls
