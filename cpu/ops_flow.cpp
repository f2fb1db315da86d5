// Bcc, BRA, BSR, DBcc, Scc, JMP, JSR, RTS, RTR, NOP.
#include "cpu/decode_table.h"

namespace m68k {

void add_flow_rows() {}

}  // namespace m68k
