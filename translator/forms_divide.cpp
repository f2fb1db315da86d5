// DIVU.W and DIVS.W <ea>,Dn: the 32-bit Dn by the 16-bit source, the
// remainder into the upper word and the quotient into the lower.
//
// A zero divisor hands the whole instruction to the interpreter, which
// raises the exception (with the operand's register step and the PC past
// the extension words, as its handler does). A quotient that does not fit
// 16 bits (signed for DIVS) leaves Dn, X, N and Z alone, sets V and clears
// C; otherwise N and Z come from the quotient, V and C are cleared.
//
// Both ways join with the same homes for the result and the flags. The host
// divide needs rdx:rax, which may hold this instruction's temporaries or
// guest registers: both are saved around it and the result leaves it in ecx,
// the scratch register no form holds anything in. DIVS divides in 64 bits,
// where 0x80000000 / -1 does not fault (its quotient is an overflow like
// any other).
#include "translator/forms.h"

namespace translator {

using asmjit::Label;
using m68k::Size;

void emit_divide_form(BlockEmitter& e) {
  const Insn& in = e.insn();
  const bool is_signed = in.kind == Kind::kDivs;
  Location src = e.locate(in.src, Size::Word);
  e.check(src, Size::Word);
  const x86::Gp divisor = e.temp();
  e.load(divisor, src, Size::Word);
  e.a.test(divisor, divisor);
  e.a.jz(e.bail());
  const x86::Gp dividend = e.temp();
  e.read_register(dividend, in.dst.reg);
  const x86::Gp result = e.temp();
  const Label overflow = e.a.newLabel(), done = e.a.newLabel();
  // The flags both ways join with: an overflow leaves N and Z as they were.
  x86::Gp z, n;
  const x86::Gp v = e.temp();
  if (e.live(kFlagZ)) {
    z = e.temp();
    e.read_flag(z, kFlagZ);
  }
  if (e.live(kFlagN)) {
    n = e.temp();
    e.read_flag(n, kFlagN);
  }

  if (is_signed)
    e.a.movsx(x86::rcx, divisor.r16());
  else
    e.a.mov(x86::ecx, divisor);
  e.a.push(x86::rax);
  e.a.push(x86::rdx);
  if (is_signed) {
    e.a.movsxd(x86::rax, dividend);
    e.a.cqo();
    e.a.idiv(x86::rcx);
    e.a.movsx(x86::rcx, x86::ax);
    e.a.cmp(x86::rcx, x86::rax);
  } else {
    e.a.mov(x86::eax, dividend);
    e.a.xor_(x86::edx, x86::edx);
    e.a.div(x86::ecx);
    e.a.cmp(x86::eax, 0xFFFF);
  }
  const Label fits = e.a.newLabel();
  if (is_signed)
    e.a.je(fits);
  else
    e.a.jbe(fits);
  e.a.pop(x86::rdx);
  e.a.pop(x86::rax);
  e.a.jmp(overflow);
  e.a.bind(fits);
  e.a.movzx(x86::ecx, x86::ax);
  e.a.shl(x86::edx, 16);
  e.a.or_(x86::ecx, x86::edx);
  e.a.pop(x86::rdx);
  e.a.pop(x86::rax);
  e.a.mov(result, x86::ecx);

  // The quotient's flags.
  if (z.isValid()) e.a.movzx(z, result.r16());
  if (n.isValid()) {
    e.a.movzx(n, result.r16());
    e.a.shr(n, 8);
  }
  e.a.mov(v, 0);
  e.a.jmp(done);

  e.a.bind(overflow);
  e.a.mov(result, dividend);
  e.a.mov(v, 0x80);

  e.a.bind(done);
  if (z.isValid()) e.store_flag(kFlagZ, z);
  if (n.isValid()) e.store_flag(kFlagN, n);
  e.store_flag(kFlagV, v);
  e.store_flag(kFlagC, 0u);
  e.queue_register(in.dst.reg, result);
}

}  // namespace translator
