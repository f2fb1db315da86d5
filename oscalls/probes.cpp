#include "oscalls/probes.h"

#include "oscalls/os_call_table.h"

namespace oscalls {

void sversion() {
  set_d0(kGemdosVersion);
}

void pdomain(Word) {
  set_d0_signed(kInvalidFunction);
}

}  // namespace oscalls
