// ASL, ASR, LSL, LSR, ROL, ROR, ROXL, ROXR.
#include "cpu/decode_table.h"

namespace m68k {

void add_shift_rows() {}

}  // namespace m68k
