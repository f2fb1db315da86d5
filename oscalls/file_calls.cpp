#include "oscalls/file_calls.h"

#include "oscalls/host_files.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

namespace {
uint32_t dta_address;
}  // namespace

void reset_file_calls() {
  dta_address = 0;
}

void fsetdta(uint32_t) {
  dta_address = param_read32();
}
void fgetdta(uint32_t) {
  set_d0(dta_address);
}

void fcreate(uint32_t) {
  set_d0_signed(file_create(param_read32()));
}

void fopen_call(uint32_t) {
  uint32_t path = param_read32();
  uint32_t mode = param_read16();
  set_d0_signed(file_open(path, mode));
}

void fclose_call(uint32_t) {
  set_d0_signed(file_close(param_read16()));
}

void fread_call(uint32_t) {
  uint32_t handle = param_read16();
  int32_t count = static_cast<int32_t>(param_read32());
  uint32_t buffer = param_read32();
  set_d0_signed(file_read(handle, count, buffer));
}

void fwrite_call(uint32_t) {
  uint32_t handle = param_read16();
  int32_t count = static_cast<int32_t>(param_read32());
  uint32_t buffer = param_read32();
  set_d0_signed(file_write(handle, count, buffer));
}

void fseek_call(uint32_t) {
  int32_t offset = static_cast<int32_t>(param_read32());
  uint32_t handle = param_read16();
  int32_t mode = static_cast<int16_t>(param_read16());
  set_d0_signed(file_seek(offset, handle, mode));
}

// No attributes are kept: reading one finds no file, setting one is refused.
void fattrib(uint32_t) {
  param_read32();  // name
  uint32_t wflag = param_read16();
  set_d0_signed(wflag == 0 ? kFileNotFound : -36);
}

void fforce(uint32_t) {
  uint32_t stdh = param_read16();
  set_d0_signed(stdh < 3 ? 0 : kInvalidHandle);
}

}  // namespace oscalls
