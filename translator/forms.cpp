#include "translator/forms.h"

namespace translator {

void emit_form(BlockEmitter& e) {
  switch (e.insn().kind) {
    case Kind::kMove:
    case Kind::kMovea:
    case Kind::kMoveq:
    case Kind::kLea:
    case Kind::kPea:
      return emit_move_form(e);
    case Kind::kMovemToMemory:
    case Kind::kMovemToRegisters:
      return emit_movem_form(e);
    case Kind::kClr:
    case Kind::kTst:
    case Kind::kNot:
    case Kind::kNeg:
    case Kind::kExtWord:
    case Kind::kExtLong:
    case Kind::kSwap:
      return emit_unary_form(e);
    case Kind::kAdd:
    case Kind::kSub:
    case Kind::kCmp:
    case Kind::kAnd:
    case Kind::kOr:
    case Kind::kEor:
    case Kind::kAdda:
    case Kind::kSuba:
    case Kind::kCmpa:
    case Kind::kMulu:
    case Kind::kMuls:
      return emit_binary_form(e);
    case Kind::kShift:
      return emit_shift_form(e);
    case Kind::kBra:
    case Kind::kBsr:
    case Kind::kBcc:
    case Kind::kDbcc:
    case Kind::kScc:
    case Kind::kJmp:
    case Kind::kJsr:
    case Kind::kRts:
    case Kind::kNop:
      return emit_flow_form(e);
    case Kind::kDivu:
    case Kind::kDivs:
      return emit_divide_form(e);
    case Kind::kLink:
    case Kind::kUnlk:
      return emit_frame_form(e);
    case Kind::kBtst:
    case Kind::kBchg:
    case Kind::kBclr:
    case Kind::kBset:
      return emit_bit_form(e);
    case Kind::kAddx:
    case Kind::kSubx:
    case Kind::kNegx:
      return emit_extended_form(e);
    case Kind::kMoveToCcr:
    case Kind::kAndiCcr:
    case Kind::kOriCcr:
    case Kind::kEoriCcr:
      return emit_ccr_form(e);
    case Kind::kCallOut:
      break;
  }
}

}  // namespace translator
