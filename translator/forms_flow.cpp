// BRA, BSR, Bcc, DBcc, Scc, JMP, JSR, RTS, NOP. Budget units on top of the
// one per instruction follow the interpreter's handlers: a branch not taken
// costs one more, and so does every pass of DBcc whose condition is false.
#include "translator/forms.h"

namespace translator {

namespace {

using asmjit::Label;
using m68k::Ea;
using m68k::Size;

bool constant(const Operand& o) {
  return o.mode == Ea::AbsW || o.mode == Ea::AbsL || o.mode == Ea::PcDisp;
}

void bcc(BlockEmitter& e) {
  const Insn& in = e.insn();
  if (in.follow != Follow::kNone) {
    // The way the block goes on is the jump over the side exit; not taking
    // the branch costs its unit on either way.
    const Label on = e.a.newLabel();
    if (in.follow == Follow::kTaken) {
      e.condition_jump(in.condition, on);
      e.side_exit(in.next, 1);
      e.a.bind(on);
    } else {
      e.condition_jump(in.condition ^ 1u, on);
      e.side_exit(in.target, 0);
      e.a.bind(on);
      e.charge_later(1);
    }
    return;
  }
  const Label taken = e.a.newLabel();
  e.condition_jump(in.condition, taken);
  e.exit_to(in.next, 1);
  e.a.bind(taken);
  e.exit_to(in.target, 0);
}

// Only the low word of Dn counts; the loop ends when it reaches -1.
// Decrements it, stores it, and answers its new low word (0xFFFF: expired).
x86::Gp decrement_counter(BlockEmitter& e, const Insn& in) {
  const x86::Gp d = e.temp();
  e.read_register(d, in.dst.reg);
  e.a.dec(d.r16());
  e.queue_register(in.dst.reg, d);
  const x86::Gp low = e.temp();
  e.a.movzx(low, d.r16());
  e.commit_now();
  return low;
}

void dbcc(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Label holds = e.a.newLabel(), expired = e.a.newLabel();
  e.condition_jump(in.condition, holds);
  const CacheState before = e.save_state();
  const x86::Gp low = decrement_counter(e, in);
  e.a.cmp(low, 0xFFFF);
  e.a.je(expired);
  e.exit_to(in.target, 1);
  e.a.bind(expired);
  e.exit_to(in.next, 1);
  e.a.bind(holds);
  e.restore_state(before);
  e.exit_to(in.next, 0);
}

// The same going on at the target: both ways out are side exits, and the
// loop's way pays the unit of a false condition later.
void dbcc_followed(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Label holds = e.a.newLabel(), on = e.a.newLabel();
  e.condition_jump(in.condition, holds);
  const CacheState before = e.save_state();
  const x86::Gp low = decrement_counter(e, in);
  const CacheState after = e.save_state();
  e.a.cmp(low, 0xFFFF);
  e.a.jne(on);
  e.side_exit(in.next, 1);
  e.a.bind(holds);
  e.restore_state(before);
  e.side_exit(in.next, 0);
  e.restore_state(after);
  e.a.bind(on);
  e.charge_later(1);
}

// ST and SF and the other conditions write 0xFF or 0 without reading the
// operand; into Dn a true condition other than ST costs one more unit.
void scc(BlockEmitter& e) {
  const Insn& in = e.insn();
  Location dst = e.locate(in.dst, Size::Byte);
  e.check(dst, Size::Byte);
  const x86::Gp v = e.temp();
  const Label set = e.a.newLabel(), done = e.a.newLabel();
  e.condition_jump(in.condition, set);
  e.a.xor_(v, v);
  e.a.jmp(done);
  e.a.bind(set);
  e.a.mov(v, 0xFF);
  if (in.dst.mode == Ea::Dn && in.condition != 0) e.charge_now(1);
  e.a.bind(done);
  e.store(dst, v, Size::Byte);
}

// JMP to itself is the interpreter's idle loop (it cuts the budget): a
// computed target equal to the instruction's own address goes to the
// interpreter.
void jump(BlockEmitter& e, bool call) {
  const Insn& in = e.insn();
  const x86::Gp target = e.operand_address(in.src);
  if (call) {
    const x86::Gp back = e.temp();
    e.a.mov(back, in.next);
    e.push_long(back);
  } else if (!constant(in.src)) {
    e.a.cmp(target, in.address);
    e.a.je(e.bail());
  }
  if (constant(in.src))
    e.exit_to(in.src.value, 0);
  else
    e.exit_computed(target, 0);
}

void rts(BlockEmitter& e) {
  Location top;
  top.kind = Location::Kind::kMemory;
  top.address = e.temp();
  e.read_register(top.address, 15);
  const x86::Gp sp = e.temp();
  e.a.lea(sp, x86::ptr(top.address.r64(), 4));
  e.queue_register(15, sp);
  e.check(top, Size::Long);
  const x86::Gp pc = e.temp();
  e.load(pc, top, Size::Long);
  e.exit_computed(pc, 0);
}

}  // namespace

void emit_flow_form(BlockEmitter& e) {
  const Insn& in = e.insn();
  switch (in.kind) {
    case Kind::kBra:
      if (in.follow != Follow::kNone) return;
      return e.exit_to(in.target, 0);
    case Kind::kBsr: {
      const x86::Gp back = e.temp();
      e.a.mov(back, in.next);
      e.push_long(back);
      return e.exit_to(in.target, 0);
    }
    case Kind::kBcc:
      return bcc(e);
    case Kind::kDbcc:
      return in.follow != Follow::kNone ? dbcc_followed(e) : dbcc(e);
    case Kind::kScc:
      return scc(e);
    case Kind::kJmp:
      return jump(e, false);
    case Kind::kJsr:
      return jump(e, true);
    case Kind::kRts:
      return rts(e);
    default:  // NOP
      return;
  }
}

}  // namespace translator
