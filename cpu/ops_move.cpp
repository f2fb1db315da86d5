// MOVE, MOVEA, MOVEQ, MOVEM, MOVEP, LEA, PEA, EXG, LINK, UNLK, moves to and from SR, CCR and USP.
#include "cpu/decode_table.h"

namespace m68k {

void add_move_rows() {}

}  // namespace m68k
