// ADD, SUB, CMP, AND, OR, EOR in their register, memory, immediate and
// quick forms, ADDA, SUBA, CMPA (with ADDQ and SUBQ to An), MULU and MULS.
#include "translator/forms.h"

namespace translator {

namespace {

using m68k::Size;
using Where = Location::Kind;

x86::Gp sized(x86::Gp r, Size s) {
  if (s == Size::Byte) return r.r8();
  if (s == Size::Word) return r.r16();
  return r.r32();
}

// The whole An with the source sign-extended; CMPA compares it, with the
// flags of a long compare.
void address_form(BlockEmitter& e) {
  const Insn& in = e.insn();
  Location src = e.locate(in.src, in.size);
  e.check(src, in.size);
  const x86::Gp s = e.temp();
  e.load(s, src, in.size);
  if (in.size == Size::Word) e.a.movsx(s, s.r16());
  const x86::Gp d = e.temp();
  e.read_register(d, 8 + in.dst.reg);
  if (in.kind == Kind::kCmpa) {
    e.a.sub(d, s);
    const BlockEmitter::HostFlags host = e.capture_host_flags(false);
    e.arith_flags(d, Size::Long, host, false);
    return;
  }
  if (in.kind == Kind::kAdda)
    e.a.add(d, s);
  else
    e.a.sub(d, s);
  e.queue_register(8 + in.dst.reg, d);
}

// The 16-bit source times Dn's low word, zero- or sign-extended, into the
// whole Dn: both products fit 32 bits, so V is always clear.
void multiply(BlockEmitter& e) {
  const Insn& in = e.insn();
  Location src = e.locate(in.src, Size::Word);
  e.check(src, Size::Word);
  const x86::Gp s = e.temp();
  e.load(s, src, Size::Word);
  const x86::Gp d = e.temp();
  e.read_register(d, in.dst.reg);
  if (in.kind == Kind::kMuls) {
    e.a.movsx(s, s.r16());
    e.a.movsx(d, d.r16());
  } else {
    e.a.movzx(d, d.r16());
  }
  e.a.imul(d, s);
  e.queue_register(in.dst.reg, d);
  e.logic_flags(d, Size::Long);
}

}  // namespace

void emit_binary_form(BlockEmitter& e) {
  const Insn& in = e.insn();
  if (in.kind == Kind::kAdda || in.kind == Kind::kSuba || in.kind == Kind::kCmpa)
    return address_form(e);
  if (in.kind == Kind::kMulu || in.kind == Kind::kMuls) return multiply(e);
  const Size size = in.size;
  Location src = e.locate(in.src, size);
  // A register source is read in place, an immediate as the host's.
  x86::Gp s;
  if (src.kind == Where::kRegister) s = e.read_only(src, size);
  Location dst = e.locate(in.dst, size);
  e.check(src, size);
  e.check(dst, size);
  if (src.kind == Where::kMemory) {
    s = e.temp();
    e.load(s, src, size);
  }
  // The destination as the instruction reads it: after the source's steps
  // (ADD.L (A0)+,... reads its destination register afterwards).
  const x86::Gp d = e.temp();
  e.load(d, dst, size);
  const x86::Gp ds = sized(d, size);
  // The source operand of the host instruction.
  asmjit::Operand ss;
  if (src.kind == Where::kImmediate)
    ss = asmjit::Imm(static_cast<int64_t>(static_cast<int32_t>(src.value)));
  else
    ss = sized(s, size);
  switch (in.kind) {
    case Kind::kAdd: {
      e.a.emit(x86::Inst::kIdAdd, ds, ss);
      const BlockEmitter::HostFlags host = e.capture_host_flags(true);
      e.store(dst, d, size);
      e.arith_flags(d, size, host, true);
      return;
    }
    case Kind::kSub:
    case Kind::kCmp: {
      const bool compare = in.kind == Kind::kCmp;
      e.a.emit(x86::Inst::kIdSub, ds, ss);
      const BlockEmitter::HostFlags host = e.capture_host_flags(!compare);
      if (!compare) e.store(dst, d, size);
      e.arith_flags(d, size, host, !compare);
      return;
    }
    case Kind::kAnd:
      e.a.emit(x86::Inst::kIdAnd, ds, ss);
      break;
    case Kind::kOr:
      e.a.emit(x86::Inst::kIdOr, ds, ss);
      break;
    default:
      e.a.emit(x86::Inst::kIdXor, ds, ss);
      break;
  }
  e.store(dst, d, size);
  e.logic_flags(d, size);
}

}  // namespace translator
