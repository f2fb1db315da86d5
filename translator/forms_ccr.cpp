// MOVE <ea>,CCR and ANDI, ORI, EORI #imm,CCR: the five flags from a value's
// low five bits. The upper byte of SR stays (these are not privileged).
//
// MOVE stores each flag as the interpreter's ccr_write does. The immediate
// forms know their value: each flag is forced set, forced clear, toggled or
// left, one store each (a toggle flips the flag's bit; for Z, whose store
// is 0 when set, it stores whether the old store was 0).
#include "translator/forms.h"

namespace translator {

namespace {

using m68k::Size;

struct FlagPlace {
  Flag flag;
  unsigned ccr_bit;
  uint32_t set;  // the store's value when the flag is set (Z: 0)
};

constexpr FlagPlace kPlaces[] = {
    {kFlagX, 4, 0x100}, {kFlagN, 3, 0x80}, {kFlagZ, 2, 0}, {kFlagV, 1, 0x80}, {kFlagC, 0, 0x100}};

void move_to_ccr(BlockEmitter& e) {
  const Insn& in = e.insn();
  Location src = e.locate(in.src, Size::Word);
  e.check(src, Size::Word);
  const x86::Gp v = e.temp();
  e.load(v, src, Size::Word);
  for (const FlagPlace& p : kPlaces) {
    if (!e.live(p.flag)) continue;
    const x86::Gp f = e.temp();
    e.a.mov(f, v);
    if (p.flag == kFlagZ) {
      e.a.not_(f);
      e.a.and_(f, 4);
    } else {
      // The flag's bit moved to where its store holds it.
      const unsigned to = p.set == 0x100 ? 8 : 7;
      e.a.shl(f, to - p.ccr_bit);
      e.a.and_(f, p.set);
    }
    e.store_flag(p.flag, f);
  }
}

void immediate_to_ccr(BlockEmitter& e) {
  const Insn& in = e.insn();
  const uint32_t value = in.src.value;
  for (const FlagPlace& p : kPlaces) {
    if (!e.live(p.flag)) continue;
    const bool bit = (value >> p.ccr_bit) & 1;
    const uint32_t clear = p.flag == kFlagZ ? 1 : 0;
    if (in.kind == Kind::kOriCcr && bit) {
      e.store_flag(p.flag, p.set);
    } else if (in.kind == Kind::kAndiCcr && !bit) {
      e.store_flag(p.flag, clear);
    } else if (in.kind == Kind::kEoriCcr && bit) {
      const x86::Gp old_value = e.temp();
      e.read_flag(old_value, p.flag);
      const x86::Gp toggled = e.temp();
      if (p.flag == kFlagZ) {
        e.a.xor_(toggled, toggled);
        e.a.test(old_value, old_value);
        e.a.sete(toggled.r8());
      } else {
        e.a.mov(toggled, old_value);
        e.a.xor_(toggled, p.set);
      }
      e.store_flag(p.flag, toggled);
    }
  }
}

}  // namespace

void emit_ccr_form(BlockEmitter& e) {
  if (e.insn().kind == Kind::kMoveToCcr)
    move_to_ccr(e);
  else
    immediate_to_ccr(e);
}

}  // namespace translator
