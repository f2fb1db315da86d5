// opcodes of later models, all raising illegal instruction or line F.
#include "cpu/decode_table.h"

namespace m68k {

void add_later_model_rows() {}

}  // namespace m68k
