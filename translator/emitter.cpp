#include "translator/emitter.h"

#include <cstddef>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "machine/code_watch.h"
#include "machine/emu_memory.h"
#include "translator/code_hook.h"
#include "translator/tier_state.h"

namespace translator {

namespace {

using asmjit::Label;
using m68k::Ea;
using m68k::Size;

constexpr uint32_t kSizeMask[] = {0, 0xFF, 0xFFFF, 0, 0xFFFFFFFF};

unsigned bytes(Size s) {
  return static_cast<unsigned>(s);
}
uint32_t size_mask(Size s) {
  return kSizeMask[bytes(s)];
}

int32_t distance(const void* p) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(p) -
                              reinterpret_cast<intptr_t>(&m68k::cpu));
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

x86::Gp BlockEmitter::temp() {
  // The pool is far larger than any form needs; running out would be a
  // form's bug, and the translation is then abandoned.
  if (free_.empty()) {
    failed_ = true;
    return x86::eax;
  }
  x86::Gp r = free_.back();
  free_.pop_back();
  return r;
}

// --- Guest registers ----------------------------------------------------------

void BlockEmitter::read_register(x86::Gp dst, unsigned n) {
  for (size_t i = pending_.size(); i-- > 0;) {
    if (pending_[i].reg == n) {
      if (pending_[i].value != dst) a.mov(dst.r32(), pending_[i].value.r32());
      return;
    }
  }
  a.mov(dst.r32(), guest_register(n));
}

void BlockEmitter::queue_register(unsigned n, x86::Gp value) {
  pending_.push_back({n, value.r32()});
}

void BlockEmitter::queue_data_register(unsigned n, x86::Gp value, Size size) {
  if (size == Size::Long) return queue_register(n, value);
  const x86::Gp merged = temp();
  read_register(merged, n);
  const x86::Gp low = temp();
  if (size == Size::Byte)
    a.movzx(low, value.r8());
  else
    a.movzx(low, value.r16());
  a.and_(merged, ~size_mask(size));
  a.or_(merged, low);
  queue_register(n, merged);
}

void BlockEmitter::commit() {
  for (const Pending& p : pending_) a.mov(guest_register(p.reg), p.value);
  pending_.clear();
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

// --- Condition codes ---------------------------------------------------------------

void BlockEmitter::store_flag(Flag flag, x86::Gp value) {
  if (live(flag)) a.mov(flag_word(flag), value.r32());
}

void BlockEmitter::store_flag(Flag flag, uint32_t value) {
  if (live(flag)) a.mov(flag_word(flag), value);
}

// The interpreter's stores: N is the result shifted so its sign is bit 7,
// Z the result itself (zero when Z is set).
void BlockEmitter::logic_flags(x86::Gp result, Size s) {
  store_flag(kFlagZ, result);
  if (live(kFlagN)) {
    if (s == Size::Byte) {
      a.mov(flag_word(kFlagN), result);
    } else {
      const x86::Gp n = temp();
      a.mov(n, result);
      a.shr(n, s == Size::Word ? 8 : 24);
      a.mov(flag_word(kFlagN), n);
    }
  }
  store_flag(kFlagV, 0u);
  store_flag(kFlagC, 0u);
}

BlockEmitter::HostFlags BlockEmitter::capture_host_flags(bool with_x) {
  HostFlags host;
  if (live(kFlagC) || (with_x && live(kFlagX))) {
    host.carry = temp();
    a.setc(host.carry.r8());
  }
  if (live(kFlagV)) {
    host.overflow = temp();
    a.seto(host.overflow.r8());
  }
  return host;
}

void BlockEmitter::arith_flags(x86::Gp result, Size s, const HostFlags& host, bool with_x) {
  if (host.carry.isValid()) {
    a.movzx(host.carry, host.carry.r8());
    a.shl(host.carry, 8);
    store_flag(kFlagC, host.carry);
    if (with_x) store_flag(kFlagX, host.carry);
  }
  if (host.overflow.isValid()) {
    a.movzx(host.overflow, host.overflow.r8());
    a.shl(host.overflow, 7);
    store_flag(kFlagV, host.overflow);
  }
  store_flag(kFlagZ, result);
  if (live(kFlagN)) {
    const x86::Gp n = temp();
    a.mov(n, result);
    if (s != Size::Byte) a.shr(n, s == Size::Word ? 8 : 24);
    a.mov(flag_word(kFlagN), n);
  }
}

void BlockEmitter::condition_jump(unsigned condition, Label taken) {
  const Label skip = a.newLabel();
  auto test_c = [&] { a.test(flag_word(kFlagC), 0x100); };
  auto test_z = [&] { a.cmp(flag_word(kFlagZ), 0); };  // ZF set: Z set
  auto test_lt = [&] {
    const x86::Gp t = temp();
    a.mov(t, flag_word(kFlagN));
    a.xor_(t, flag_word(kFlagV));
    a.test(t, 0x80);
  };
  switch (condition & 15) {
    case 0:
      a.jmp(taken);
      break;
    case 1:
      break;
    case 2:  // HI: C clear and Z clear
      test_c();
      a.jnz(skip);
      test_z();
      a.jne(taken);
      break;
    case 3:  // LS
      test_c();
      a.jnz(taken);
      test_z();
      a.je(taken);
      break;
    case 4:  // CC
      test_c();
      a.jz(taken);
      break;
    case 5:  // CS
      test_c();
      a.jnz(taken);
      break;
    case 6:  // NE
      test_z();
      a.jne(taken);
      break;
    case 7:  // EQ
      test_z();
      a.je(taken);
      break;
    case 8:  // VC
      a.test(flag_word(kFlagV), 0x80);
      a.jz(taken);
      break;
    case 9:  // VS
      a.test(flag_word(kFlagV), 0x80);
      a.jnz(taken);
      break;
    case 10:  // PL
      a.test(flag_word(kFlagN), 0x80);
      a.jz(taken);
      break;
    case 11:  // MI
      a.test(flag_word(kFlagN), 0x80);
      a.jnz(taken);
      break;
    case 12:  // GE
      test_lt();
      a.jz(taken);
      break;
    case 13:  // LT
      test_lt();
      a.jnz(taken);
      break;
    case 14:  // GT: not LT and Z clear
      test_lt();
      a.jnz(skip);
      test_z();
      a.jne(taken);
      break;
    default:  // LE
      test_lt();
      a.jnz(taken);
      test_z();
      a.je(taken);
      break;
  }
  a.bind(skip);
}

// --- Budget and exits -------------------------------------------------------------

void BlockEmitter::subtract_budget(unsigned units) {
  if (units > 0)
    a.sub(state_word(&m68k::cycle_budget), units);
  else
    a.cmp(state_word(&m68k::cycle_budget), 0);
}

void BlockEmitter::charge_now(unsigned units) {
  a.sub(state_word(&m68k::cycle_budget), units);
}

void BlockEmitter::charge_later(unsigned units) {
  extra_ += units;
}

unsigned BlockEmitter::exit_charge(unsigned extra) const {
  return index_ + 1 - charged_ + extra_ + extra;
}

Label BlockEmitter::stub(Stub s) {
  stubs_.push_back(s);
  return s.label;
}

Label BlockEmitter::bail() {
  for (const Stub& s : stubs_)
    if (s.kind == StubKind::kBail && s.index == index_) return s.label;
  Stub s{StubKind::kBail, a.newLabel(), index_};
  s.pc = insn_->address;
  s.charge = index_ - charged_ + extra_;
  return stub(s);
}

void BlockEmitter::exit_to(uint32_t target, unsigned extra) {
  commit();
  const unsigned charge = exit_charge(extra);
  if (stored_) {
    Stub changed{StubKind::kExitAfter, a.newLabel(), index_};
    changed.pc = target;
    changed.store_pc = true;
    changed.charge = charge;
    a.cmp(state_word(&tier_shared.code_changed), 0);
    a.jne(stub(changed));
  }
  Stub link{StubKind::kLink, a.newLabel(), index_};
  link.pc = target;
  link.exit = static_cast<unsigned>(exits_.size());
  subtract_budget(charge);
  const Label to_stub = stub(link);
  a.jle(to_stub);
  Exit exit{target, a.newLabel(), to_stub};
  a.bind(exit.jump);
  a.long_().jmp(to_stub);
  exits_.push_back(exit);
  ended_ = true;
}

void BlockEmitter::exit_computed(x86::Gp pc, unsigned extra) {
  commit();
  a.mov(state_word(&m68k::cpu.pc), pc);
  const unsigned charge = exit_charge(extra);
  if (stored_) {
    Stub changed{StubKind::kExitAfter, a.newLabel(), index_};
    changed.charge = charge;
    a.cmp(state_word(&tier_shared.code_changed), 0);
    a.jne(stub(changed));
  }
  const Label miss = stub(Stub{StubKind::kComputedMiss, a.newLabel(), index_});
  subtract_budget(charge);
  a.jle(miss);
  if (context_.chaining) {
    const int32_t cache = distance(tier_shared.jump_cache);
    a.mov(x86::ecx, pc);
    a.and_(x86::ecx, (kJumpCacheSize - 1) << 1);
    a.cmp(x86::dword_ptr(x86::r15, x86::rcx, 3, cache), pc);
    a.jne(miss);
    a.jmp(x86::qword_ptr(x86::r15, x86::rcx, 3,
                         cache + static_cast<int32_t>(offsetof(JumpEntry, code))));
  } else {
    a.jmp(miss);
  }
  ended_ = true;
}

void BlockEmitter::after_stores() {
  if (!stored_) return;
  Stub changed{StubKind::kExitAfter, a.newLabel(), index_};
  changed.pc = insn_->next;
  changed.store_pc = true;
  changed.charge = exit_charge(0);
  a.cmp(state_word(&tier_shared.code_changed), 0);
  a.jne(stub(changed));
}

// --- Call-outs ----------------------------------------------------------------------

// The interpreter's loop body for one instruction, run from inside the
// block: the budget up to date, instr_addr, PC and IR as the loop sets them,
// the handler, the loop's unit. The block goes on only while the budget
// lasts, no translation was dropped and the PC is where the next
// instruction of the block starts.
void BlockEmitter::emit_call_out() {
  const unsigned before = index_ - charged_ + extra_;
  if (before > 0) a.sub(state_word(&m68k::cycle_budget), before);
  a.mov(state_word(&m68k::cpu.instr_addr), insn_->address);
  a.mov(state_word(&m68k::cpu.pc), insn_->address + 2);
  a.mov(state_word(&m68k::cpu.ir), static_cast<uint32_t>(insn_->opcode));
  a.mov(x86::rax, reinterpret_cast<uint64_t>(m68k::instruction_jump_table[insn_->opcode]));
  a.call(x86::rax);
  a.sub(state_word(&m68k::cycle_budget), 1);
  charged_ = index_ + 1;
  extra_ = 0;
  const Label out = stub(Stub{StubKind::kExitAfter, a.newLabel(), index_});
  a.jle(out);
  a.cmp(state_word(&tier_shared.code_changed), 0);
  a.jne(out);
  if (insn_->ends_block) {
    a.jmp(out);
    ended_ = true;
    return;
  }
  a.cmp(state_word(&m68k::cpu.pc), insn_->next);
  a.jne(out);
}

// --- Stubs ----------------------------------------------------------------------------

void BlockEmitter::record_last_instruction(unsigned index) {
  const Insn& last = block_.insns[index];
  a.mov(state_word(&m68k::cpu.instr_addr), last.address);
  a.mov(state_word(&m68k::cpu.ir), static_cast<uint32_t>(last.opcode));
}

void BlockEmitter::emit_stub(const Stub& s) {
  a.bind(s.label);
  auto leave = [&](ExitReason reason, unsigned completed) {
    if (context_.lockstep) a.mov(state_word(&tier_shared.block_instructions), completed);
    a.mov(x86::eax, static_cast<uint32_t>(reason));
    a.jmp(context_.exit_trampoline);
  };
  switch (s.kind) {
    case StubKind::kBail:
      if (s.charge > 0) a.sub(state_word(&m68k::cycle_budget), s.charge);
      a.mov(state_word(&m68k::cpu.pc), s.pc);
      if (s.index > 0) record_last_instruction(s.index - 1);
      leave(kExitBail, s.index);
      break;
    case StubKind::kExitAfter:
      if (s.charge > 0) a.sub(state_word(&m68k::cycle_budget), s.charge);
      if (s.store_pc) a.mov(state_word(&m68k::cpu.pc), s.pc);
      record_last_instruction(s.index);
      leave(kExitNormal, s.index + 1);
      break;
    case StubKind::kLink:
      a.mov(state_word(&m68k::cpu.pc), s.pc);
      record_last_instruction(s.index);
      if (context_.chaining) {
        a.mov(state_word(&tier_shared.exit_block), context_.block_id);
        a.mov(state_word(&tier_shared.exit_index), s.exit);
        leave(kExitLink, s.index + 1);
      } else {
        leave(kExitNormal, s.index + 1);
      }
      break;
    case StubKind::kComputedMiss:
      record_last_instruction(s.index);
      leave(kExitNormal, s.index + 1);
      break;
    case StubKind::kCodeWrite: {
      // In a page with translated code: the write's line decides, before
      // anything is saved for the call.
      if (!context_.lockstep) {
        if (s.address.isValid()) {
          a.mov(x86::ecx, s.address.r32());
          a.shr(x86::ecx, machine::kCodeLineShift);
          a.cmp(x86::byte_ptr(x86::r15, x86::rcx, 0, distance(machine::code_lines)), 0);
        } else {
          a.cmp(x86::byte_ptr(x86::r15, distance(machine::code_lines) +
                                            static_cast<int32_t>(s.pc >> machine::kCodeLineShift)),
                0);
        }
        a.je(s.back);
      }
      // Every register a form may hold a value in survives the call.
      static const x86::Gp kSaved[] = {x86::rax, x86::rcx, x86::rdx, x86::rsi, x86::rdi,
                                       x86::r8,  x86::r9,  x86::r10, x86::r11};
      for (const x86::Gp& r : kSaved) a.push(r);
      a.sub(x86::rsp, 8);
      // The value first, into the scratch register no form holds anything
      // in; the address before its register can be overwritten.
      a.mov(x86::ecx, s.value.r32());
      if (s.address.isValid())
        a.mov(x86::edi, s.address.r32());
      else
        a.mov(x86::edi, s.pc);
      a.mov(x86::esi, s.size);
      if (context_.lockstep) {
        a.mov(x86::edx, x86::ecx);
        a.mov(x86::rax, reinterpret_cast<uint64_t>(&lockstep_translated_store));
      } else {
        a.mov(x86::rax, reinterpret_cast<uint64_t>(&translated_code_written));
      }
      a.call(x86::rax);
      a.add(x86::rsp, 8);
      for (size_t i = std::size(kSaved); i-- > 0;) a.pop(kSaved[i]);
      a.jmp(s.back);
      break;
    }
  }
}

void BlockEmitter::emit_stubs() {
  // A stub may add none: emitting one never creates another.
  for (size_t i = 0; i < stubs_.size(); ++i) emit_stub(stubs_[i]);
}

// --- The block -------------------------------------------------------------------------

void BlockEmitter::emit_instruction() {
  pending_.clear();
  free_ = {x86::r14d, x86::r13d, x86::r12d, x86::ebp, x86::ebx, x86::r11d, x86::r10d,
           x86::r9d,  x86::r8d,  x86::edi,  x86::esi, x86::edx, x86::eax};
  stored_ = false;
  ended_ = false;
  if (insn_->kind == Kind::kCallOut) {
    emit_call_out();
    return;
  }
  emit_form(*this);
  if (ended_) return;
  commit();
  after_stores();
}

bool BlockEmitter::emit() {
  if (context_.entry_counter) {
    // Nothing is held in a register when a block is entered.
    a.mov(x86::rax, reinterpret_cast<uint64_t>(context_.entry_counter));
    a.inc(x86::qword_ptr(x86::rax));
  }
  for (index_ = 0; index_ < block_.insns.size(); ++index_) {
    insn_ = &block_.insns[index_];
    emit_instruction();
    if (ended_) break;
  }
  if (!ended_) {
    // The block stops before the next instruction: a limit, or what comes
    // next cannot be translated.
    --index_;
    pending_.clear();
    stored_ = false;
    exit_to(insn_->next, 0);
  }
  emit_stubs();
  return !failed_;
}

std::vector<ExitSite> BlockEmitter::exit_sites(const asmjit::CodeHolder& code) const {
  std::vector<ExitSite> sites;
  for (const Exit& e : exits_)
    sites.push_back({e.target, static_cast<uint32_t>(code.labelOffset(e.jump)),
                     static_cast<uint32_t>(code.labelOffset(e.stub))});
  return sites;
}

}  // namespace translator
