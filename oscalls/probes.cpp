#include "oscalls/probes.h"

#include "oscalls/os_call_table.h"

namespace oscalls {

void sversion(uint32_t) {
  set_d0(kGemdosVersion);
}

void later_os_probe(uint32_t) {
  set_d0_signed(kInvalidFunction);
}

}  // namespace oscalls
