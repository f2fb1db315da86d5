// MOVEM in both directions, word and long. The register mask is a constant
// of the translation, so the transfers are laid out one by one. Every
// address of the transfer is checked at once: the lowest, masked, plus the
// transfer's length must stay below the I/O region (then no address wraps
// either), or the interpreter runs the whole instruction. Like the
// interpreter's handler, each MOVEM costs one more budget unit.
#include <bit>

#include "machine/emu_memory.h"
#include "translator/forms.h"

namespace translator {

namespace {

using m68k::Ea;
using m68k::Size;

// All of [lowest, lowest + bytes) in RAM; `lowest` is masked in place.
void check_range(BlockEmitter& e, x86::Gp lowest, uint32_t bytes) {
  e.a.and_(lowest, machine::kAddressMask);
  e.a.cmp(lowest, machine::kIoRegionStart - bytes);
  e.a.ja(e.bail());
}

// -(An): the mask read backwards (bit 0 is A7), registers stored from A7
// down at descending addresses below An, in the interpreter's order; An
// gets the lowest address at the end (so a listed An is stored with its
// value from before).
void to_memory(BlockEmitter& e) {
  const Insn& in = e.insn();
  const uint32_t step = static_cast<uint32_t>(in.size);
  const unsigned count = static_cast<unsigned>(std::popcount(in.register_mask));
  const uint32_t bytes = step * count;
  const bool predecrement = in.dst.mode == Ea::PreDec;
  const x86::Gp base = predecrement ? e.temp() : e.operand_address(in.dst);
  if (predecrement) {
    e.read_register(base, 8 + in.dst.reg);
    e.a.sub(base, bytes);
  }
  const x86::Gp final_an = e.temp();
  if (predecrement) e.a.mov(final_an, base);
  const x86::Gp lowest = e.temp();
  e.a.mov(lowest, base);
  check_range(e, lowest, bytes);
  const x86::Gp address = e.temp();
  const x86::Gp value = e.temp();
  // Offsets from the lowest address: -(An) stores A7 first, at the top.
  uint32_t offset = predecrement ? bytes : 0;
  for (unsigned i = 0; i < 16; ++i) {
    const unsigned r = predecrement ? 15 - i : i;
    if (!(in.register_mask & (1u << i))) continue;
    if (predecrement) offset -= step;
    e.read_register(value, r);
    e.a.lea(address, x86::ptr(lowest.r64(), static_cast<int32_t>(offset)));
    e.store_memory(address, value, in.size);
    if (!predecrement) offset += step;
  }
  if (predecrement) e.queue_register(8 + in.dst.reg, final_an);
  e.charge_later(1);
}

// Memory to registers: words sign-extended into whole registers; with (An)+
// the final address replaces whatever was loaded into An.
void to_registers(BlockEmitter& e) {
  const Insn& in = e.insn();
  const uint32_t step = static_cast<uint32_t>(in.size);
  const unsigned count = static_cast<unsigned>(std::popcount(in.register_mask));
  const uint32_t bytes = step * count;
  const bool postincrement = in.src.mode == Ea::PostInc;
  const x86::Gp base = postincrement ? e.temp() : e.operand_address(in.src);
  if (postincrement) e.read_register(base, 8 + in.src.reg);
  const x86::Gp lowest = e.temp();
  e.a.mov(lowest, base);
  check_range(e, lowest, bytes);
  // Nothing can hand the instruction over from here on: registers are
  // stored as they are loaded.
  const x86::Gp address = e.temp();
  const x86::Gp value = e.temp();
  uint32_t offset = 0;
  for (unsigned r = 0; r < 16; ++r) {
    if (!(in.register_mask & (1u << r))) continue;
    e.a.lea(address, x86::ptr(lowest.r64(), static_cast<int32_t>(offset)));
    e.load_memory(value, address, in.size);
    if (in.size == Size::Word) e.a.movsx(value, value.r16());
    e.store_register_now(r, value);
    offset += step;
  }
  if (postincrement) {
    e.a.add(base, bytes);
    e.store_register_now(8 + in.src.reg, base);
  }
  e.charge_later(1);
}

}  // namespace

void emit_movem_form(BlockEmitter& e) {
  if (e.insn().kind == Kind::kMovemToMemory)
    to_memory(e);
  else
    to_registers(e);
}

}  // namespace translator
