#include "classify.h"

#include <cstdint>

namespace conformance {
namespace {

constexpr uint32_t kIoRegionStart = 0xFF8000;
constexpr uint32_t kAddressErrorVector = 0x0C;  // vector 3
constexpr uint8_t kSupervisorData = 5;
constexpr uint32_t kSrX = 0x10, kSrN = 0x08, kSrV = 0x02, kSrC = 0x01;

bool is_program_fetch(const BusAccess& b) {
  return b.function_code == 2 || b.function_code == 6;
}

// True when every difference is in SR and only in the given bits.
bool only_sr_bits(const std::vector<Difference>& diffs, uint32_t bits) {
  for (const Difference& d : diffs) {
    if (d.field != Field::kSr || ((d.expected ^ d.actual) & ~bits) != 0) return false;
  }
  return !diffs.empty();
}

// 0x60FF-0x6FFF with an 8-bit displacement of 0xFF: the 68000 branches by -1
// (or falls through), while this core decodes the pattern as the later
// models' 32-bit-displacement form and raises illegal instruction.
bool long_branch_opcode(const Vector& v, const std::vector<Difference>&) {
  return (v.opcode & 0xF0FF) == 0x60FF;
}

// The reference run ends in the address-error exception: its last data
// reads fetch the vector-3 long (words at 0x0C and 0x0E) and the two
// program fetches that follow are at the handler address it held. The
// faulting word or long access at an odd address is not itself on the bus.
bool address_error(const Vector& v, const std::vector<Difference>&) {
  const auto& bus = v.bus;
  if (bus.size() < 4) return false;
  const BusAccess& hi = bus[bus.size() - 4];
  const BusAccess& lo = bus[bus.size() - 3];
  const BusAccess& f0 = bus[bus.size() - 2];
  const BusAccess& f1 = bus[bus.size() - 1];
  const bool vector_read = hi.kind == 'r' && hi.word && hi.function_code == kSupervisorData &&
                           hi.address == kAddressErrorVector && lo.kind == 'r' && lo.word &&
                           lo.function_code == kSupervisorData &&
                           lo.address == kAddressErrorVector + 2;
  const uint32_t handler = (hi.value << 16) | (lo.value & 0xFFFF);
  return vector_read && handler == v.final.pc && is_program_fetch(f0) &&
         f0.address == (handler & 0xFFFFFF) && is_program_fetch(f1);
}

// The reference touched the I/O region, where this core's bus fails reads
// (all ones, run stopped) and turns writes into trap-channel calls. The
// reference's prefetch of the next instruction is not counted: the core does
// not fetch ahead.
bool io_region(const Vector& v, const std::vector<Difference>&) {
  const uint32_t next = v.final.pc & 0xFFFFFF;
  for (const BusAccess& b : v.bus) {
    if (b.address < kIoRegionStart) continue;
    const bool prefetch = b.kind == 'r' && is_program_fetch(b) &&
                          (b.address == next || b.address == ((next + 2) & 0xFFFFFF));
    if (!prefetch) return true;
  }
  return false;
}

// Corpus defect: ASR by a register count larger than the operand size on a
// negative operand gives C = X = 0 in the vectors; the documented rule (and
// this core) gives the sign, which was the last bit shifted out.
bool asr_count_defect(const Vector& v, const std::vector<Difference>& diffs) {
  if ((v.opcode & 0xF138) != 0xE020) return false;  // ASR Dx,Dy
  const unsigned size_code = (v.opcode >> 6) & 3;
  if (size_code == 3) return false;
  const unsigned bits = 8u << size_code;
  const uint32_t count = v.initial.d[(v.opcode >> 9) & 7] & 63;
  const uint32_t operand = v.initial.d[v.opcode & 7];
  const bool negative = (operand >> (bits - 1)) & 1;
  return count > bits && negative && only_sr_bits(diffs, kSrX | kSrC);
}

enum class Bcd { kNone, kAbcd, kSbcd, kNbcd };

Bcd bcd_kind(uint16_t op) {
  if ((op & 0xF1F0) == 0xC100) return Bcd::kAbcd;
  if ((op & 0xF1F0) == 0x8100) return Bcd::kSbcd;
  if ((op & 0xFFC0) == 0x4800 && (op & 0x38) != 0x08) return Bcd::kNbcd;
  return Bcd::kNone;
}

// V after ABCD, SBCD and NBCD is undefined in the documentation; this core
// computes it by its own rule, which the hardware does not follow.
bool bcd_undefined_v(const Vector& v, const std::vector<Difference>& diffs) {
  return bcd_kind(v.opcode) != Bcd::kNone && only_sr_bits(diffs, kSrV);
}

// NBCD's operand: the register's low byte, or the data byte the reference
// read for the memory forms.
bool nbcd_operand(const Vector& v, uint32_t& operand) {
  if ((v.opcode & 0x38) == 0) {
    operand = v.initial.d[v.opcode & 7] & 0xFF;
    return true;
  }
  for (const BusAccess& b : v.bus) {
    if (b.kind == 'r' && !b.word && !is_program_fetch(b)) {
      operand = b.value & 0xFF;
      return true;
    }
  }
  return false;
}

// NBCD of 0 with X clear leaves 0 and no borrow; N is undefined. This core
// takes N from its uncorrected intermediate 0x9A (set), the hardware clears
// it.
bool nbcd_zero_n(const Vector& v, const std::vector<Difference>& diffs) {
  uint32_t operand;
  return bcd_kind(v.opcode) == Bcd::kNbcd && !(v.initial.sr & kSrX) && nbcd_operand(v, operand) &&
         operand == 0 && only_sr_bits(diffs, kSrN);
}

bool decimal_byte(uint32_t b) {
  return (b & 0x0F) <= 9 && ((b >> 4) & 0x0F) <= 9;
}

// ABCD, SBCD and NBCD on a byte with a digit above 9: the result is
// undefined for such operands and this core's decimal correction gives other
// bytes and flags than the hardware's. Differences must stay within SR's
// condition codes, the destination register and memory bytes the reference
// wrote.
bool bcd_non_decimal(const Vector& v, const std::vector<Difference>& diffs) {
  const Bcd kind = bcd_kind(v.opcode);
  if (kind == Bcd::kNone || diffs.empty()) return false;
  const bool register_form = kind == Bcd::kNbcd ? (v.opcode & 0x38) == 0 : (v.opcode & 0x08) == 0;
  int dest_reg = -1;
  bool non_decimal = false;
  if (register_form) {
    dest_reg = kind == Bcd::kNbcd ? (v.opcode & 7) : ((v.opcode >> 9) & 7);
    non_decimal = !decimal_byte(v.initial.d[dest_reg] & 0xFF);
    if (kind != Bcd::kNbcd) non_decimal |= !decimal_byte(v.initial.d[v.opcode & 7] & 0xFF);
  } else {
    for (const BusAccess& b : v.bus)
      if (b.kind == 'r' && !b.word && !is_program_fetch(b)) non_decimal |= !decimal_byte(b.value);
  }
  if (!non_decimal) return false;
  for (const Difference& d : diffs) {
    if (d.field == Field::kSr && ((d.expected ^ d.actual) & ~0x1Fu) == 0) continue;
    if (dest_reg >= 0 && d.field == static_cast<Field>(dest_reg) &&
        ((d.expected ^ d.actual) & ~0xFFu) == 0)
      continue;
    if (d.field == Field::kRam) {
      bool written = false;
      for (const BusAccess& b : v.bus)
        written |= b.kind == 'w' && !b.word && b.address == d.address;
      if (written) continue;
    }
    return false;
  }
  return true;
}

const std::vector<ClassRule> kRules = {
    {"long-branch-opcode",
     "0x6xFF is decoded as the later models' 32-bit-displacement branch and raises illegal "
     "instruction; the 68000 reads 0xFF as an 8-bit displacement",
     true, long_branch_opcode},
    {"address-error",
     "the instruction makes a word or long access at an odd address: the hardware takes an "
     "address error, this core models none and accesses the odd address",
     true, address_error},
    {"io-region",
     "the instruction accesses 0xFF8000-0xFFFFFF, where this core's bus fails reads and decodes "
     "writes as trap channels instead of memory",
     false, io_region},
    {"asr-count-defect",
     "corpus defect: ASR by a register count above the operand size on a negative operand gives "
     "C = X = 0 instead of the sign",
     false, asr_count_defect},
    {"bcd-undefined-v",
     "V after ABCD, SBCD and NBCD is undefined; this core computes it by its own rule", false,
     bcd_undefined_v},
    {"nbcd-zero-n",
     "NBCD of 0 with X clear: N is undefined; this core sets it, the hardware clears it", false,
     nbcd_zero_n},
    {"bcd-non-decimal",
     "ABCD, SBCD or NBCD on a byte with a digit above 9 (undefined result): this core's decimal "
     "correction differs from the hardware's",
     false, bcd_non_decimal},
};

}  // namespace

const std::vector<ClassRule>& class_rules() {
  return kRules;
}

const ClassRule* classify_before_run(const Vector& v) {
  static const std::vector<Difference> kNone;
  for (const ClassRule& r : kRules)
    if (r.before_run && r.applies(v, kNone)) return &r;
  return nullptr;
}

const ClassRule* classify_failure(const Vector& v, const std::vector<Difference>& diffs) {
  if (diffs.empty()) return nullptr;
  for (const ClassRule& r : kRules)
    if (!r.before_run && r.applies(v, diffs)) return &r;
  return nullptr;
}

}  // namespace conformance
