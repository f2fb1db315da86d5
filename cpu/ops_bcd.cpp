// ABCD, SBCD, NBCD.
#include "cpu/decode_table.h"

namespace m68k {

void add_bcd_rows() {}

}  // namespace m68k
