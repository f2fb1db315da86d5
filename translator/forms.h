// The translated instruction forms, one function per family of kinds. Each
// emits one instruction through the BlockEmitter's services, in the order
// emitter.h describes, and ends the block itself when it is a branch.
#pragma once

#include "translator/emitter.h"

namespace translator {

void emit_move_form(BlockEmitter& e);      // MOVE, MOVEA, MOVEQ, LEA, PEA
void emit_movem_form(BlockEmitter& e);     // MOVEM both ways
void emit_unary_form(BlockEmitter& e);     // CLR, TST, NOT, NEG, EXT, SWAP
void emit_binary_form(BlockEmitter& e);    // ADD, SUB, CMP, AND, OR, EOR, MULU, MULS, address forms
void emit_shift_form(BlockEmitter& e);     // ASL, ASR, LSL, LSR, ROL, ROR of a data register
void emit_flow_form(BlockEmitter& e);      // branches, jumps, calls, returns, Scc, NOP
void emit_divide_form(BlockEmitter& e);    // DIVU, DIVS
void emit_frame_form(BlockEmitter& e);     // LINK, UNLK
void emit_bit_form(BlockEmitter& e);       // BTST, BCHG, BCLR, BSET
void emit_extended_form(BlockEmitter& e);  // ADDX, SUBX, NEGX
void emit_ccr_form(BlockEmitter& e);       // MOVE, ANDI, ORI, EORI to CCR

}  // namespace translator
