// Compact row generators: one call expands an instruction's allowed
// addressing modes into decode rows, instantiating one handler per mode.
//
// The handler factory is a generic lambda taking the mode as a template
// parameter:  [](auto mode) ... is not enough, so families pass
//   []<Ea M>() -> Handler { return &add_to_dn<Size::Word, M>; }
#pragma once

#include "cpu/decode_table.h"
#include "cpu/operand.h"

namespace m68k {

// Mask of a row whose effective address (bits 0-5) has mode class M. When
// OtherRegFree the register in bits 9-11 is read from IR and stays free.
constexpr uint32_t ea_row_mask(Ea m, bool other_reg_free) {
  if (ea_reg_free(m)) return other_reg_free ? 0xF1F8 : 0xFFF8;
  return other_reg_free ? 0xF1FF : 0xFFFF;
}

template <Size S, bool OtherRegFree, Ea M, class F>
constexpr void add_ea_row(RowSink& add_row, uint32_t base, const char* family, F make) {
  add_row(make.template operator()<M>(), ea_row_mask(M, OtherRegFree), base | ea_bits(M), family);
  // Byte (An)+ and -(An) on A7 step by 2: their own rows, after the general
  // one so they replace its A7 slots.
  if constexpr (S == Size::Byte && (M == Ea::PostInc || M == Ea::PreDec)) {
    constexpr Ea kA7 = M == Ea::PostInc ? Ea::PostIncA7 : Ea::PreDecA7;
    add_row(make.template operator()<kA7>(), ea_row_mask(kA7, OtherRegFree), base | ea_bits(kA7),
            family);
  }
}

// One row per mode of the list, effective address in bits 0-5 of `base`.
template <Size S, bool OtherRegFree, Ea... Ms, class F>
constexpr void add_ea_rows(RowSink& add_row, EaList<Ms...>, uint32_t base, const char* family,
                           F make) {
  (add_ea_row<S, OtherRegFree, Ms>(add_row, base, family, make), ...);
}

}  // namespace m68k
