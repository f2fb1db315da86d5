// BTST, BCHG, BCLR, BSET.
#include "cpu/decode_table.h"

namespace m68k {

void add_bit_rows() {}

}  // namespace m68k
