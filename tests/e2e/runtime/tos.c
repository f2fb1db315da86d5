#include "tos.h"
#include "tos_block.h"

long gemdos_call(unsigned short function) {
  GEMDOS(function);
}
long bios_call(unsigned short function) {
  return __trap13(&function, 2);
}
long xbios_call(unsigned short function) {
  return __trap14(&function, 2);
}

void Pterm0(void) {
  gemdos_call(0x00);
  for (;;) {
  }
}

void Pterm(unsigned short code) {
  const unsigned short block[] = {0x4C, code};
  __trap1(block, sizeof block);
  for (;;) {
  }
}

long Cconws(const char* text) {
  GEMDOS(0x09, HI(text), LO(text));
}
long Dgetdrv(void) {
  GEMDOS(0x19);
}
long Fsetdta(void* dta) {
  GEMDOS(0x1A, HI(dta), LO(dta));
}
long Fgetdta(void) {
  GEMDOS(0x2F);
}
long Super(long stack) {
  GEMDOS(0x20, HI(stack), LO(stack));
}
long Tgetdate(void) {
  GEMDOS(0x2A);
}
long Tgettime(void) {
  GEMDOS(0x2C);
}
long Fcreate(const char* name, unsigned short attributes) {
  GEMDOS(0x3C, HI(name), LO(name), attributes);
}
long Fopen(const char* name, unsigned short mode) {
  GEMDOS(0x3D, HI(name), LO(name), mode);
}
long Fclose(unsigned short handle) {
  GEMDOS(0x3E, handle);
}
long Fread(unsigned short handle, long count, void* buffer) {
  GEMDOS(0x3F, handle, HI(count), LO(count), HI(buffer), LO(buffer));
}
long Fwrite(unsigned short handle, long count, const void* buffer) {
  GEMDOS(0x40, handle, HI(count), LO(count), HI(buffer), LO(buffer));
}
long Fseek(long offset, unsigned short handle, unsigned short mode) {
  GEMDOS(0x42, HI(offset), LO(offset), handle, mode);
}
long Fattrib(const char* name, unsigned short wflag, unsigned short attributes) {
  GEMDOS(0x43, HI(name), LO(name), wflag, attributes);
}
long Fforce(unsigned short standard, unsigned short other) {
  GEMDOS(0x46, standard, other);
}
long Dgetpath(char* buffer, unsigned short drive) {
  GEMDOS(0x47, HI(buffer), LO(buffer), drive);
}
long Malloc(long size) {
  GEMDOS(0x48, HI(size), LO(size));
}
long Mfree(void* block) {
  GEMDOS(0x49, HI(block), LO(block));
}
long Mshrink(void* block, long size) {
  GEMDOS(0x4A, 0, HI(block), LO(block), HI(size), LO(size));
}

long Setexc(unsigned short vector, long address) {
  const unsigned short block[] = {0x05, vector, HI(address), LO(address)};
  return __trap13(block, sizeof block);
}

long Supexec(long (*routine)(void)) {
  const unsigned short block[] = {0x26, HI(routine), LO(routine)};
  return __trap14(block, sizeof block);
}
