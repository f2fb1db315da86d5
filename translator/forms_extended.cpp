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

// X into the host carry: the last instruction before adc or sbb.
void carry_in(BlockEmitter& e) {
  e.a.bt(e.flag_word(kFlagX), 8);
}

// The flags from the host's carry and overflow and the zero-extended result.
void extended_flags(BlockEmitter& e, x86::Gp result, Size s, const BlockEmitter::HostFlags& host) {
  if (host.carry.isValid()) {
    e.a.movzx(host.carry, host.carry.r8());
    e.a.shl(host.carry, 8);
    e.store_flag(kFlagC, host.carry);
    e.store_flag(kFlagX, host.carry);
  }
  if (host.overflow.isValid()) {
    e.a.movzx(host.overflow, host.overflow.r8());
    e.a.shl(host.overflow, 7);
    e.store_flag(kFlagV, host.overflow);
  }
  if (e.live(kFlagZ)) {
    const x86::Gp z = e.temp();
    e.a.mov(z, result);
    e.a.or_(z, e.flag_word(kFlagZ));
    e.a.mov(e.flag_word(kFlagZ), z);
  }
  if (e.live(kFlagN)) {
    const x86::Gp n = e.temp();
    e.a.mov(n, result);
    if (s != Size::Byte) e.a.shr(n, s == Size::Word ? 8 : 24);
    e.a.mov(e.flag_word(kFlagN), n);
  }
}

void negate(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Size s = in.size;
  Location dst = e.locate(in.dst, s);
  e.check(dst, s);
  const x86::Gp d = e.temp();
  e.load(d, dst, s);
  const x86::Gp r = e.temp();
  e.a.mov(r, 0);
  carry_in(e);
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
  carry_in(e);
  if (in.kind == Kind::kAddx)
    e.a.adc(sized(d, s), sized(sv, s));
  else
    e.a.sbb(sized(d, s), sized(sv, s));
  const BlockEmitter::HostFlags host = e.capture_host_flags(true);
  e.store(dst, d, s);
  extended_flags(e, d, s, host);
}

}  // namespace translator
