// ADDX, SUBX (Dy,Dx and -(Ay),-(Ax)) and NEGX <ea>: the operation with X
// as the host's carry in (adc, sbb), so the host's carry and overflow out
// are the 68000's C and V. Z can only be cleared, so that a chain of them
// over a multi-word number leaves Z set only when every word was zero: the
// Z store becomes the old one ORed with the result (zero only when both
// are).
#include "translator/forms.h"

namespace translator {

namespace {

using m68k::Size;

x86::Gp sized(x86::Gp r, Size s) {
  if (s == Size::Byte) return r.r8();
  if (s == Size::Word) return r.r16();
  return r.r32();
}

// X as the interpreter stores it, read before the operation.
x86::Gp read_x(BlockEmitter& e) {
  const x86::Gp x = e.temp();
  e.read_flag(x, kFlagX);
  return x;
}

// X into the host carry: the last instruction before adc or sbb.
void carry_in(BlockEmitter& e, x86::Gp x) {
  e.a.bt(x, 8);
}

// The flags from the host's carry and overflow and the zero-extended result.
void extended_flags(BlockEmitter& e, x86::Gp result, Size s, const BlockEmitter::HostFlags& host) {
  if (host.carry.isValid()) {
    e.bit_flag(kFlagC, host.carry);
    e.bit_flag(kFlagX, host.carry);
  }
  if (host.overflow.isValid()) e.bit_flag(kFlagV, host.overflow);
  if (e.live(kFlagZ)) {
    const x86::Gp z = e.temp();
    e.read_flag(z, kFlagZ);
    e.a.or_(z, result);
    e.store_flag(kFlagZ, z);
  }
  e.sign_flag(result, s);
}

void negate(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Size s = in.size;
  Location dst = e.locate(in.dst, s);
  e.check(dst, s);
  const x86::Gp d = e.temp();
  e.load(d, dst, s);
  const x86::Gp x = read_x(e);
  const x86::Gp r = e.temp();
  e.a.mov(r, 0);
  carry_in(e, x);
  e.a.sbb(sized(r, s), sized(d, s));
  const BlockEmitter::HostFlags host = e.capture_host_flags(true);
  e.store(dst, r, s);
  extended_flags(e, r, s, host);
}

}  // namespace

void emit_extended_form(BlockEmitter& e) {
  const Insn& in = e.insn();
  if (in.kind == Kind::kNegx) return negate(e);
  const Size s = in.size;
  // The source is stepped and read before the destination is stepped.
  Location src = e.locate(in.src, s);
  Location dst = e.locate(in.dst, s);
  e.check(src, s);
  e.check(dst, s);
  const x86::Gp sv = e.temp();
  e.load(sv, src, s);
  const x86::Gp d = e.temp();
  e.load(d, dst, s);
  const x86::Gp x = read_x(e);
  carry_in(e, x);
  if (in.kind == Kind::kAddx)
    e.a.adc(sized(d, s), sized(sv, s));
  else
    e.a.sbb(sized(d, s), sized(sv, s));
  const BlockEmitter::HostFlags host = e.capture_host_flags(true);
  e.store(dst, d, s);
  extended_flags(e, d, s, host);
}

}  // namespace translator
