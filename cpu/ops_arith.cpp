// ADD, SUB, CMP families, ADDX, SUBX, NEG, NEGX, CLR.
#include "cpu/decode_table.h"

namespace m68k {

void add_arith_rows() {}

}  // namespace m68k
