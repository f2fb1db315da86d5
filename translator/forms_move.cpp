// MOVE, MOVEA, MOVEQ, LEA, PEA and the single-operand forms.
#include "translator/forms.h"

namespace translator {

namespace {

using m68k::Size;
using Where = Location::Kind;

// The source is read completely before the destination is located, so a
// register source has its value from before any step the destination makes
// (MOVE.L A0,-(A0) stores the old A0).
x86::Gp read_source(BlockEmitter& e, Location& src, Size size) {
  const x86::Gp value = e.temp();
  if (src.kind != Where::kMemory) e.load(value, src, size);
  return value;
}

void move(BlockEmitter& e) {
  const Insn& in = e.insn();
  Location src = e.locate(in.src, in.size);
  // A long from a register is its home: the destination shares it.
  const x86::Gp value = src.kind == Where::kRegister && in.size == Size::Long
                            ? e.read_only(src, in.size)
                            : read_source(e, src, in.size);
  Location dst = e.locate(in.dst, in.size);
  e.check(src, in.size);
  e.check(dst, in.size);
  if (src.kind == Where::kMemory) e.load(value, src, in.size);
  e.store(dst, value, in.size);
  e.logic_flags(value, in.size);
}

void movea(BlockEmitter& e) {
  const Insn& in = e.insn();
  Location src = e.locate(in.src, in.size);
  e.check(src, in.size);
  const x86::Gp value = e.temp();
  e.load(value, src, in.size);
  if (in.size == Size::Word) e.a.movsx(value, value.r16());
  e.queue_register(8 + in.dst.reg, value);
}

void moveq(BlockEmitter& e) {
  const Insn& in = e.insn();
  const x86::Gp value = e.temp();
  e.a.mov(value, in.src.value);
  e.queue_register(in.dst.reg, value);
  e.logic_flags(value, Size::Long);
}

void lea(BlockEmitter& e) {
  const Insn& in = e.insn();
  e.queue_register(8 + in.dst.reg, e.operand_address(in.src));
}

// The address comes before A7 moves: PEA (A7) pushes the old A7.
void pea(BlockEmitter& e) {
  e.push_long(e.operand_address(e.insn().src));
}

}  // namespace

void emit_move_form(BlockEmitter& e) {
  switch (e.insn().kind) {
    case Kind::kMove:
      return move(e);
    case Kind::kMovea:
      return movea(e);
    case Kind::kMoveq:
      return moveq(e);
    case Kind::kLea:
      return lea(e);
    default:
      return pea(e);
  }
}

// CLR writes without reading; the others read the operand first.
void emit_unary_form(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Size size = in.size;
  Location dst = e.locate(in.dst, size);
  e.check(dst, size);
  const x86::Gp v = e.temp();
  switch (in.kind) {
    case Kind::kClr:
      e.a.xor_(v, v);
      e.store(dst, v, size);
      e.logic_flags(v, size);
      return;
    case Kind::kTst:
      e.load(v, dst, size);
      e.logic_flags(v, size);
      return;
    case Kind::kNot:
      e.load(v, dst, size);
      if (size == Size::Byte)
        e.a.not_(v.r8());
      else if (size == Size::Word)
        e.a.not_(v.r16());
      else
        e.a.not_(v);
      e.store(dst, v, size);
      e.logic_flags(v, size);
      return;
    case Kind::kNeg: {
      e.load(v, dst, size);
      if (size == Size::Byte)
        e.a.neg(v.r8());
      else if (size == Size::Word)
        e.a.neg(v.r16());
      else
        e.a.neg(v);
      const BlockEmitter::HostFlags host = e.capture_host_flags(true);
      e.store(dst, v, size);
      e.arith_flags(v, size, host, true);
      return;
    }
    case Kind::kExtWord: {
      // The byte sign-extended into the low word; flags of that word.
      e.load(v, dst, Size::Long);
      e.a.movsx(v, v.r8());
      e.queue_data_register(in.dst.reg, v, Size::Word);
      const x86::Gp word = e.temp();
      e.a.movzx(word, v.r16());
      e.logic_flags(word, Size::Word);
      return;
    }
    case Kind::kExtLong:
      e.load(v, dst, Size::Long);
      e.a.movsx(v, v.r16());
      e.store(dst, v, Size::Long);
      e.logic_flags(v, Size::Long);
      return;
    default:  // SWAP
      e.load(v, dst, Size::Long);
      e.a.rol(v, 16);
      e.store(dst, v, Size::Long);
      e.logic_flags(v, Size::Long);
      return;
  }
}

}  // namespace translator
