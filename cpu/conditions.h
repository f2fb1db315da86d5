// The sixteen condition tests of Bcc, DBcc and Scc, from the flag stores.
#pragma once

#include "cpu/cpu_state.h"

namespace m68k {

template <unsigned CC>
inline bool condition_holds() {
  const bool c = cpu.flag_c & 0x100;
  const bool v = cpu.flag_v & 0x80;
  const bool n = cpu.flag_n & 0x80;
  const bool z = cpu.flag_z == 0;
  const bool lt = (cpu.flag_n ^ cpu.flag_v) & 0x80;
  if constexpr (CC == 0)
    return true;
  else if constexpr (CC == 1)
    return false;
  else if constexpr (CC == 2)
    return !c && !z;
  else if constexpr (CC == 3)
    return c || z;
  else if constexpr (CC == 4)
    return !c;
  else if constexpr (CC == 5)
    return c;
  else if constexpr (CC == 6)
    return !z;
  else if constexpr (CC == 7)
    return z;
  else if constexpr (CC == 8)
    return !v;
  else if constexpr (CC == 9)
    return v;
  else if constexpr (CC == 10)
    return !n;
  else if constexpr (CC == 11)
    return n;
  else if constexpr (CC == 12)
    return !lt;
  else if constexpr (CC == 13)
    return lt;
  else if constexpr (CC == 14)
    return !lt && !z;
  else
    return lt || z;
}

}  // namespace m68k
