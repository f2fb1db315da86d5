// LINK An,#d and UNLK An: the stack frame of a routine.
//
// LINK pushes An, points An at the pushed long and adds the displacement to
// A7. On A7 itself the pushed value is the already-decremented A7, which
// then ends as that plus the displacement.
// UNLK reloads A7 from An plus 4 and An from the long An points at; on A7
// it only reloads A7 from the stack.
#include "translator/forms.h"

namespace translator {

using m68k::Size;

namespace {

void link(BlockEmitter& e) {
  const Insn& in = e.insn();
  const unsigned n = 8 + in.dst.reg;
  const x86::Gp frame = e.temp();
  e.read_register(frame, 15);
  e.a.sub(frame, 4);
  Location stack;
  stack.kind = Location::Kind::kMemory;
  stack.address = e.temp();
  e.a.mov(stack.address, frame);
  e.check(stack, Size::Long);
  const x86::Gp pushed = e.temp();
  if (n == 15)
    e.a.mov(pushed, frame);
  else
    e.read_register(pushed, n);
  e.store(stack, pushed, Size::Long);
  const x86::Gp sp = e.temp();
  e.a.lea(sp, x86::ptr(frame.r64(), static_cast<int32_t>(in.src.value)));
  if (n != 15) e.queue_register(n, frame);
  e.queue_register(15, sp);
}

void unlink(BlockEmitter& e) {
  const Insn& in = e.insn();
  const unsigned n = 8 + in.dst.reg;
  const x86::Gp frame = e.temp();
  e.read_register(frame, n);
  Location top;
  top.kind = Location::Kind::kMemory;
  top.address = e.temp();
  e.a.mov(top.address, frame);
  e.check(top, Size::Long);
  const x86::Gp loaded = e.temp();
  e.load(loaded, top, Size::Long);
  if (n != 15) {
    const x86::Gp sp = e.temp();
    e.a.lea(sp, x86::ptr(frame.r64(), 4));
    e.queue_register(15, sp);
  }
  e.queue_register(n, loaded);
}

}  // namespace

void emit_frame_form(BlockEmitter& e) {
  if (e.insn().kind == Kind::kLink)
    link(e);
  else
    unlink(e);
}

}  // namespace translator
