// The homes of guest registers and condition codes inside a block.
//
// Every host register of the pool is either a temporary of the instruction
// being emitted or named by entries of the cache (guest registers, flags;
// `owners` counts them). A register is loaded into a pool register at its
// first use when one is to spare; a value an instruction computes becomes
// the home of the guest register or flag it is committed to, so values in
// the cache never change in place and several entries may share one (Z and
// a data register holding the same result). The CPU state is brought up to
// date only where it is read: exits, call-outs and the out-of-line stubs,
// each writing back what is dirty at its own point. When a form needs a
// temporary and none is free, the least recently used home is written back
// on the spot, keeping the host flags and rcx, which may be live there.
#include <algorithm>
#include <bit>

#include "cpu/cpu_state.h"
#include "translator/emitter.h"

namespace translator {

namespace {

using m68k::Size;
using Value = FlagValue::Kind;

const x86::Gp kPool[] = {x86::r14d, x86::r13d, x86::r12d, x86::ebp, x86::ebx, x86::r11d, x86::r10d,
                         x86::r9d,  x86::r8d,  x86::edi,  x86::esi, x86::edx, x86::eax};

// Free pool registers a first read leaves for the form's temporaries.
constexpr size_t kReserve = 4;

unsigned flag_index(Flag f) {
  return static_cast<unsigned>(std::countr_zero(static_cast<unsigned>(f)));
}

x86::Gp host(int id) {
  return x86::gpd(static_cast<uint32_t>(id));
}

// The bit a reader tests: X and C at bit 8, N and V at bit 7.
uint32_t flag_mask(Flag f) {
  return f == kFlagC || f == kFlagX ? 0x100 : 0x80;
}

}  // namespace

void BlockEmitter::reset_temps() {
  pinned_ = 0;
  free_.clear();
  for (const x86::Gp& r : kPool)
    if (state_.owners[r.id()] == 0) free_.push_back(r);
}

void BlockEmitter::own(int h) {
  ++state_.owners[h];
  last_use_[h] = ++use_clock_;
}

void BlockEmitter::release(int h) {
  if (h >= 0) --state_.owners[h];
}

x86::Gp BlockEmitter::temp() {
  if (free_.empty()) return evict();
  x86::Gp r = free_.back();
  free_.pop_back();
  return r;
}

// The least recently used home of the cheapest kind to give up: a clean
// copy (nothing to write), then one written back by plain stores, then a
// flag that must be computed (the host flags saved around it).
x86::Gp BlockEmitter::evict() {
  int victim = -1;
  int victim_cost = 0;
  for (const x86::Gp& r : kPool) {
    const int id = static_cast<int>(r.id());
    if (state_.owners[id] == 0 || (budget_.isValid() && r.id() == budget_.id())) continue;
    if (pinned_ & (1u << id)) continue;
    int cost = 0;
    for (const CachedRegister& c : state_.regs)
      if (c.host == id && c.dirty) cost = std::max(cost, 1);
    for (const FlagValue& f : state_.flags)
      if (f.host == id) cost = std::max(cost, f.kind == Value::kValue ? 1 : 2);
    if (victim < 0 || cost < victim_cost ||
        (cost == victim_cost && last_use_[id] < last_use_[victim])) {
      victim = id;
      victim_cost = cost;
    }
  }
  if (victim < 0) {
    // Every register is a temporary of this instruction: a form's bug; the
    // translation is abandoned.
    failed_ = true;
    return x86::eax;
  }
  bool derived = false;
  for (const FlagValue& f : state_.flags)
    if (f.host == victim && (f.kind == Value::kSign || f.kind == Value::kBit)) derived = true;
  if (derived) {
    a.pushfq();
    a.push(x86::rcx);
  }
  for (unsigned n = 0; n < 16; ++n) {
    CachedRegister& c = state_.regs[n];
    if (c.host != victim) continue;
    if (c.dirty) a.mov(guest_register(n), host(victim));
    c = CachedRegister{};
  }
  for (unsigned i = 0; i < 5; ++i) {
    FlagValue& f = state_.flags[i];
    if (f.host != victim) continue;
    write_flag(i, f);
    f = FlagValue{};
  }
  if (derived) {
    a.pop(x86::rcx);
    a.popfq();
  }
  state_.owners[victim] = 0;
  return host(victim);
}

// --- Guest registers ----------------------------------------------------------

void BlockEmitter::read_register(x86::Gp dst, unsigned n) {
  for (size_t i = pending_.size(); i-- > 0;) {
    if (pending_[i].reg == n) {
      if (pending_[i].value.id() != dst.id()) a.mov(dst.r32(), pending_[i].value.r32());
      return;
    }
  }
  CachedRegister& c = state_.regs[n];
  if (c.host < 0 && free_.size() > kReserve) {
    const x86::Gp home = free_.back();
    free_.pop_back();
    a.mov(home, guest_register(n));
    c.host = static_cast<int8_t>(home.id());
    c.dirty = false;
    own(c.host);
  }
  if (c.host >= 0) {
    last_use_[c.host] = ++use_clock_;
    a.mov(dst.r32(), host(c.host));
    return;
  }
  a.mov(dst.r32(), guest_register(n));
}

x86::Gp BlockEmitter::read_only(const Location& loc, Size size) {
  if (loc.kind == Location::Kind::kRegister) {
    bool pending = false;
    for (const Pending& p : pending_)
      if (p.reg == loc.reg) pending = true;
    const CachedRegister& c = state_.regs[loc.reg];
    if (!pending && c.host >= 0) {
      pinned_ = static_cast<uint16_t>(pinned_ | (1u << c.host));
      last_use_[c.host] = ++use_clock_;
      return host(c.host);
    }
  }
  const x86::Gp t = temp();
  load(t, loc, size);
  return t;
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
  a.and_(merged, ~(size == Size::Byte ? 0xFFu : 0xFFFFu));
  a.or_(merged, low);
  queue_register(n, merged);
}

void BlockEmitter::store_register_now(unsigned n, x86::Gp value) {
  CachedRegister& c = state_.regs[n];
  release(c.host);
  c = CachedRegister{};
  a.mov(guest_register(n), value.r32());
}

void BlockEmitter::commit() {
  for (const Pending& p : pending_) {
    CachedRegister& c = state_.regs[p.reg];
    release(c.host);
    c.host = static_cast<int8_t>(p.value.id());
    c.dirty = true;
    own(c.host);
  }
  pending_.clear();
  for (unsigned i = 0; i < 5; ++i) {
    if (!(pending_flag_mask_ & (1u << i))) continue;
    FlagValue& f = state_.flags[i];
    release(f.host);
    f = pending_flags_[i];
    if (f.host >= 0) own(f.host);
  }
  pending_flag_mask_ = 0;
}

// Once the instruction is done on its way on (not at its own exits, which
// see every flag): a flag nothing reads before it is written again needs
// no home, and its register is freed.
void BlockEmitter::drop_dead_flags() {
  for (unsigned i = 0; i < 5; ++i) {
    if (live_after() & (1u << i)) continue;
    FlagValue& f = state_.flags[i];
    release(f.host);
    f = FlagValue{};
  }
}

void BlockEmitter::forget_all() {
  state_ = CacheState{};
  if (budget_.isValid()) state_.owners[budget_.id()] = 1;
}

// --- Writing back ---------------------------------------------------------------

void BlockEmitter::write_flag(unsigned i, const FlagValue& f) {
  const x86::Mem m = flag_word_at(i);
  switch (f.kind) {
    case Value::kMemory:
      return;
    case Value::kConstant:
      a.mov(m, f.value);
      return;
    case Value::kValue:
      a.mov(m, host(f.host));
      return;
    case Value::kSign:
      if (f.size == 1) {
        a.mov(m, host(f.host));
      } else {
        a.mov(x86::ecx, host(f.host));
        a.shr(x86::ecx, f.size == 2 ? 8 : 24);
        a.mov(m, x86::ecx);
      }
      return;
    case Value::kBit:
      a.movzx(x86::ecx, host(f.host).r8());
      a.shl(x86::ecx, f.size);
      a.mov(m, x86::ecx);
      return;
  }
}

void BlockEmitter::write_back(const CacheState& s) {
  for (unsigned n = 0; n < 16; ++n)
    if (s.regs[n].dirty) a.mov(guest_register(n), host(s.regs[n].host));
  for (unsigned i = 0; i < 5; ++i) write_flag(i, s.flags[i]);
}

// --- Condition codes --------------------------------------------------------------

void BlockEmitter::queue_flag(Flag flag, const FlagValue& value) {
  if (!live(flag)) return;
  const unsigned i = flag_index(flag);
  pending_flags_[i] = value;
  pending_flag_mask_ = static_cast<uint8_t>(pending_flag_mask_ | (1u << i));
}

void BlockEmitter::store_flag(Flag flag, x86::Gp value) {
  queue_flag(flag, FlagValue{Value::kValue, static_cast<int8_t>(value.id()), 0, 0});
}

void BlockEmitter::store_flag(Flag flag, uint32_t value) {
  queue_flag(flag, FlagValue{Value::kConstant, -1, 0, value});
}

void BlockEmitter::sign_flag(x86::Gp result, Size size) {
  queue_flag(kFlagN, FlagValue{Value::kSign, static_cast<int8_t>(result.id()),
                               static_cast<uint8_t>(size), 0});
}

void BlockEmitter::bit_flag(Flag flag, x86::Gp byte) {
  const uint8_t place = flag == kFlagC || flag == kFlagX ? 8 : 7;
  queue_flag(flag, FlagValue{Value::kBit, static_cast<int8_t>(byte.id()), place, 0});
}

void BlockEmitter::read_flag(x86::Gp dst, Flag flag) {
  const FlagValue& f = state_.flags[flag_index(flag)];
  switch (f.kind) {
    case Value::kMemory:
      a.mov(dst, flag_word(flag));
      return;
    case Value::kConstant:
      a.mov(dst, f.value);
      return;
    case Value::kValue:
      a.mov(dst, host(f.host));
      return;
    case Value::kSign:
      a.mov(dst, host(f.host));
      if (f.size > 1) a.shr(dst, f.size == 2 ? 8 : 24);
      return;
    case Value::kBit:
      a.movzx(dst, host(f.host).r8());
      a.shl(dst, f.size);
      return;
  }
}

// The interpreter's stores: N is the result shifted so its sign is bit 7,
// Z the result itself (zero when Z is set).
void BlockEmitter::logic_flags(x86::Gp result, Size s) {
  store_flag(kFlagZ, result);
  sign_flag(result, s);
  store_flag(kFlagV, 0u);
  store_flag(kFlagC, 0u);
}

BlockEmitter::HostFlags BlockEmitter::capture_host_flags(bool with_x) {
  HostFlags hf;
  if (live(kFlagC) || (with_x && live(kFlagX))) {
    hf.carry = temp();
    a.setc(hf.carry.r8());
  }
  if (live(kFlagV)) {
    hf.overflow = temp();
    a.seto(hf.overflow.r8());
  }
  return hf;
}

void BlockEmitter::arith_flags(x86::Gp result, Size s, const HostFlags& hf, bool with_x) {
  if (hf.carry.isValid()) {
    bit_flag(kFlagC, hf.carry);
    if (with_x) bit_flag(kFlagX, hf.carry);
  }
  if (hf.overflow.isValid()) bit_flag(kFlagV, hf.overflow);
  store_flag(kFlagZ, result);
  sign_flag(result, s);
}

int BlockEmitter::test_flag(Flag flag, bool& set_nz) {
  const FlagValue& f = state_.flags[flag_index(flag)];
  const uint32_t mask = flag_mask(flag);
  set_nz = true;
  switch (f.kind) {
    case Value::kConstant:
      if (flag == kFlagZ) return f.value == 0 ? 1 : 0;
      return (f.value & mask) != 0 ? 1 : 0;
    case Value::kMemory:
      if (flag == kFlagZ) {
        a.cmp(flag_word(flag), 0);
        set_nz = false;
      } else {
        a.test(flag_word(flag), mask);
      }
      return -1;
    case Value::kValue:
      if (flag == kFlagZ) {
        a.test(host(f.host), host(f.host));
        set_nz = false;
      } else {
        a.test(host(f.host), mask);
      }
      return -1;
    case Value::kSign:
      a.test(host(f.host), f.size == 1 ? 0x80u : f.size == 2 ? 0x8000u : 0x80000000u);
      return -1;
    case Value::kBit:
      a.test(host(f.host).r8(), host(f.host).r8());
      return -1;
  }
  return -1;
}

void BlockEmitter::jump_on_flag(Flag flag, bool when_set, asmjit::Label to) {
  bool set_nz = true;
  const int known = test_flag(flag, set_nz);
  if (known >= 0) {
    if ((known == 1) == when_set) a.jmp(to);
    return;
  }
  if (set_nz == when_set)
    a.jnz(to);
  else
    a.jz(to);
}

// LT is N xor V: with one of them known it is the other or its negation;
// otherwise both become bytes of rcx (free between instructions' memory
// accesses) and are compared.
void BlockEmitter::condition_jump(unsigned condition, asmjit::Label taken) {
  const asmjit::Label skip = a.newLabel();
  auto jump_on_lt = [&](bool when_lt, asmjit::Label to) {
    const FlagValue& v = state_.flags[flag_index(kFlagV)];
    const FlagValue& n = state_.flags[flag_index(kFlagN)];
    if (v.kind == Value::kConstant) {
      const bool v_set = (v.value & 0x80) != 0;
      return jump_on_flag(kFlagN, when_lt != v_set, to);
    }
    if (n.kind == Value::kConstant) {
      const bool n_set = (n.value & 0x80) != 0;
      return jump_on_flag(kFlagV, when_lt != n_set, to);
    }
    bool set_nz = true;
    test_flag(kFlagN, set_nz);
    a.setnz(x86::cl);
    test_flag(kFlagV, set_nz);
    a.setnz(x86::ch);
    a.cmp(x86::cl, x86::ch);
    if (when_lt)
      a.jne(to);
    else
      a.je(to);
  };
  switch (condition & 15) {
    case 0:
      a.jmp(taken);
      break;
    case 1:
      break;
    case 2:  // HI: C clear and Z clear
      jump_on_flag(kFlagC, true, skip);
      jump_on_flag(kFlagZ, false, taken);
      break;
    case 3:  // LS
      jump_on_flag(kFlagC, true, taken);
      jump_on_flag(kFlagZ, true, taken);
      break;
    case 4:  // CC
      jump_on_flag(kFlagC, false, taken);
      break;
    case 5:  // CS
      jump_on_flag(kFlagC, true, taken);
      break;
    case 6:  // NE
      jump_on_flag(kFlagZ, false, taken);
      break;
    case 7:  // EQ
      jump_on_flag(kFlagZ, true, taken);
      break;
    case 8:  // VC
      jump_on_flag(kFlagV, false, taken);
      break;
    case 9:  // VS
      jump_on_flag(kFlagV, true, taken);
      break;
    case 10:  // PL
      jump_on_flag(kFlagN, false, taken);
      break;
    case 11:  // MI
      jump_on_flag(kFlagN, true, taken);
      break;
    case 12:  // GE
      jump_on_lt(false, taken);
      break;
    case 13:  // LT
      jump_on_lt(true, taken);
      break;
    case 14:  // GT: not LT and Z clear
      jump_on_lt(true, skip);
      jump_on_flag(kFlagZ, false, taken);
      break;
    default:  // LE
      jump_on_lt(true, taken);
      jump_on_flag(kFlagZ, true, taken);
      break;
  }
  a.bind(skip);
}

}  // namespace translator
