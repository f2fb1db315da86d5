// BTST, BCHG, BCLR, BSET: the bit number from Dn or an immediate, on the
// whole Dn (mod 32) or on a byte of memory (mod 8). Z is set when the
// tested bit was clear; nothing else changes.
#include "translator/forms.h"

namespace translator {

using m68k::Size;

void emit_bit_form(BlockEmitter& e) {
  const Insn& in = e.insn();
  const Size size = in.size;
  const unsigned modulo = size == Size::Long ? 31 : 7;
  // The register bit number is read before the destination is located.
  const x86::Gp mask = e.temp();
  if (in.src.mode == m68k::Ea::Dn) {
    e.read_register(x86::ecx, in.src.reg);
    e.a.and_(x86::ecx, modulo);
    e.a.mov(mask, 1);
    e.a.shl(mask, x86::cl);
  } else {
    e.a.mov(mask, 1u << (in.src.value & modulo));
  }
  Location dst = e.locate(in.dst, size);
  e.check(dst, size);
  const x86::Gp v = e.temp();
  e.load(v, dst, size);
  if (e.live(kFlagZ)) {
    const x86::Gp z = e.temp();
    e.a.mov(z, v);
    e.a.and_(z, mask);
    e.store_flag(kFlagZ, z);
  }
  switch (in.kind) {
    case Kind::kBchg:
      e.a.xor_(v, mask);
      break;
    case Kind::kBclr:
      e.a.not_(mask);
      e.a.and_(v, mask);
      break;
    case Kind::kBset:
      e.a.or_(v, mask);
      break;
    default:  // BTST
      return;
  }
  e.store(dst, v, size);
}

}  // namespace translator
