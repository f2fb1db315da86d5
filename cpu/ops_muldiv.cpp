// MULU, MULS, DIVU, DIVS.
#include "cpu/decode_table.h"

namespace m68k {

void add_muldiv_rows() {}

}  // namespace m68k
