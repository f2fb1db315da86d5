#include "translator/emitter.h"

#include <cstddef>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "machine/code_watch.h"
#include "machine/emu_memory.h"
#include "translator/code_hook.h"
#include "translator/emit_layout.h"
#include "translator/tier_state.h"

namespace translator {

namespace {

using asmjit::Label;
using m68k::Ea;
using m68k::Size;

unsigned bytes(Size s) {
  return static_cast<unsigned>(s);
}

// Guest memory in the reversed layout: the byte at guest address A is at
// emu_memory[0xFFFFFF - A], so with rcx = -A a value of n bytes starts at
// top - (n - 1) + rcx.
int32_t memory_displacement(Size s) {
  return distance(machine::emu_memory + 0xFFFFFF) - static_cast<int32_t>(bytes(s) - 1);
}

x86::Gp sized(x86::Gp r, Size s) {
  if (s == Size::Byte) return r.r8();
  if (s == Size::Word) return r.r16();
  return r.r32();
}

x86::Mem sized_memory(x86::Gp base, x86::Gp index, int32_t disp, Size s) {
  const unsigned n = bytes(s);
  if (!index.isValid()) return x86::ptr(base, disp, n);
  return x86::ptr(base, index, 0, disp, n);
}

}  // namespace

BlockEmitter::BlockEmitter(x86::Assembler& assembler, const GuestBlock& block,
                           const EmitContext& context)
    : a(assembler), block_(block), context_(context) {}

x86::Mem BlockEmitter::state_word(const void* address) const {
  return x86::dword_ptr(x86::r15, distance(address));
}

x86::Mem BlockEmitter::guest_register(unsigned n) const {
  return state_word(&m68k::cpu.dar[n]);
}

x86::Mem BlockEmitter::flag_word(Flag flag) const {
  switch (flag) {
    case kFlagX:
      return state_word(&m68k::cpu.flag_x);
    case kFlagN:
      return state_word(&m68k::cpu.flag_n);
    case kFlagZ:
      return state_word(&m68k::cpu.flag_z);
    case kFlagV:
      return state_word(&m68k::cpu.flag_v);
    default:
      return state_word(&m68k::cpu.flag_c);
  }
}

x86::Mem BlockEmitter::flag_word_at(unsigned index) const {
  return flag_word(static_cast<Flag>(1u << index));
}

// --- Operands -------------------------------------------------------------------

namespace {

// (An)+ and -(An) of a byte on A7 step by 2, to keep the stack even.
uint32_t step_of(unsigned reg, Size s) {
  return s == Size::Byte && reg == 7 ? 2 : bytes(s);
}

}  // namespace

x86::Gp BlockEmitter::operand_address(const Operand& o) {
  const x86::Gp address = temp();
  auto add_index = [&](uint32_t extension) {
    const x86::Gp index = temp();
    read_register(index, (extension >> 12) & 15);
    if (!(extension & 0x800)) a.movsx(index, index.r16());
    a.add(address, index);
    const int32_t disp8 = static_cast<int8_t>(extension & 0xFF);
    if (disp8 != 0) a.add(address, disp8);
  };
  switch (o.mode) {
    case Ea::Ind:
      read_register(address, 8 + o.reg);
      break;
    case Ea::Disp:
      read_register(address, 8 + o.reg);
      if (o.value != 0) a.add(address, static_cast<int32_t>(o.value));
      break;
    case Ea::Index:
      read_register(address, 8 + o.reg);
      add_index(o.value);
      break;
    case Ea::PcIndex:
      a.mov(address, o.base);
      add_index(o.value);
      break;
    default:  // AbsW, AbsL, PcDisp
      a.mov(address, o.value);
      break;
  }
  return address;
}

Location BlockEmitter::locate(const Operand& o, Size s) {
  Location loc;
  switch (o.mode) {
    case Ea::Dn:
      loc.kind = Location::Kind::kRegister;
      loc.reg = o.reg;
      return loc;
    case Ea::An:
      loc.kind = Location::Kind::kRegister;
      loc.reg = 8 + o.reg;
      return loc;
    case Ea::Imm:
      loc.kind = Location::Kind::kImmediate;
      loc.value = o.value;
      return loc;
    default:
      break;
  }
  loc.kind = Location::Kind::kMemory;
  if (o.mode == Ea::AbsW || o.mode == Ea::AbsL || o.mode == Ea::PcDisp) {
    loc.constant = true;
    loc.value = o.value;
    return loc;
  }
  if (o.mode == Ea::PostInc || o.mode == Ea::PreDec) {
    const uint32_t step = step_of(o.reg, s);
    const x86::Gp address = temp();
    read_register(address, 8 + o.reg);
    if (o.mode == Ea::PreDec) {
      a.sub(address, step);
      const x86::Gp stepped = temp();
      a.mov(stepped, address);
      queue_register(8 + o.reg, stepped);
    } else {
      const x86::Gp stepped = temp();
      a.lea(stepped, x86::ptr(address.r64(), static_cast<int32_t>(step)));
      queue_register(8 + o.reg, stepped);
    }
    loc.address = address;
    return loc;
  }
  loc.address = operand_address(o);
  return loc;
}

void BlockEmitter::check(Location& loc, Size) {
  if (loc.kind != Location::Kind::kMemory || loc.checked) return;
  loc.checked = true;
  if (loc.constant) {
    loc.value &= machine::kAddressMask;
    if (loc.value >= machine::kIoRegionStart) a.jmp(bail());
    return;
  }
  a.and_(loc.address, machine::kAddressMask);
  a.cmp(loc.address, machine::kIoRegionStart);
  a.jae(bail());
}

void BlockEmitter::load(x86::Gp dst, const Location& loc, Size s) {
  switch (loc.kind) {
    case Location::Kind::kImmediate:
      a.mov(dst, loc.value);
      return;
    case Location::Kind::kRegister:
      read_register(dst, loc.reg);
      if (s == Size::Byte) a.movzx(dst, dst.r8());
      if (s == Size::Word) a.movzx(dst, dst.r16());
      return;
    case Location::Kind::kMemory:
      break;
  }
  if (loc.constant) {
    const x86::Mem m = sized_memory(x86::r15, x86::Gp(),
                                    memory_displacement(s) - static_cast<int32_t>(loc.value), s);
    if (s == Size::Long)
      a.mov(dst, m);
    else
      a.movzx(dst, m);
    return;
  }
  load_memory(dst, loc.address, s);
}

void BlockEmitter::load_memory(x86::Gp dst, x86::Gp address, Size s) {
  a.mov(x86::ecx, address);
  a.neg(x86::rcx);
  const x86::Mem m = sized_memory(x86::r15, x86::rcx, memory_displacement(s), s);
  if (s == Size::Long)
    a.mov(dst, m);
  else
    a.movzx(dst, m);
}

void BlockEmitter::store(const Location& loc, x86::Gp value, Size s) {
  if (loc.kind == Location::Kind::kRegister) {
    if (loc.reg < 8)
      queue_data_register(loc.reg, value, s);
    else
      queue_register(loc.reg, value);
    return;
  }
  stored_ = true;
  const Label back = a.newLabel();
  Stub s_write{StubKind::kCodeWrite, a.newLabel(), index_};
  s_write.back = back;
  s_write.size = bytes(s);
  s_write.value = value;
  if (loc.constant) {
    s_write.pc = loc.value;
    if (context_.lockstep) {
      a.jmp(stub(s_write));
    } else {
      a.cmp(x86::byte_ptr(x86::r15, distance(machine::code_pages) +
                                        static_cast<int32_t>(loc.value >> machine::kCodePageShift)),
            0);
      a.jne(stub(s_write));
    }
    a.bind(back);
    a.mov(sized_memory(x86::r15, x86::Gp(),
                       memory_displacement(s) - static_cast<int32_t>(loc.value), s),
          sized(value, s));
    return;
  }
  s_write.address = loc.address;
  if (context_.lockstep) {
    a.jmp(stub(s_write));
  } else {
    a.mov(x86::ecx, loc.address);
    a.shr(x86::ecx, machine::kCodePageShift);
    a.cmp(x86::byte_ptr(x86::r15, x86::rcx, 0, distance(machine::code_pages)), 0);
    a.jne(stub(s_write));
  }
  a.bind(back);
  a.mov(x86::ecx, loc.address);
  a.neg(x86::rcx);
  a.mov(sized_memory(x86::r15, x86::rcx, memory_displacement(s), s), sized(value, s));
}

void BlockEmitter::store_memory(x86::Gp address, x86::Gp value, Size s) {
  Location loc;
  loc.kind = Location::Kind::kMemory;
  loc.address = address;
  loc.checked = true;
  store(loc, value, s);
}

void BlockEmitter::push_long(x86::Gp value) {
  Location stack;
  stack.kind = Location::Kind::kMemory;
  stack.address = temp();
  read_register(stack.address, 15);
  a.sub(stack.address, 4);
  const x86::Gp sp = temp();
  a.mov(sp, stack.address);
  queue_register(15, sp);
  check(stack, Size::Long);
  store(stack, value, Size::Long);
}

}  // namespace translator
