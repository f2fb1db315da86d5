// AND, OR, EOR, NOT, TST, TAS, EXT, SWAP, immediates to CCR and SR.
#include "cpu/decode_table.h"

namespace m68k {

void add_logic_rows() {}

}  // namespace m68k
