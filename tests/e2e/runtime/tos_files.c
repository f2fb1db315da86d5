/* Wrappers of the GEMDOS folder, name and search calls (declared in tos.h).
   They live apart from tos.c so that guests that do not call them, the
   shipped example among them, link exactly as before. */
#include "tos.h"
#include "tos_block.h"

long Dsetdrv(unsigned short drive) {
  GEMDOS(0x0E, drive);
}
long Dfree(long* buffer, unsigned short drive) {
  GEMDOS(0x36, HI(buffer), LO(buffer), drive);
}
long Dcreate(const char* path) {
  GEMDOS(0x39, HI(path), LO(path));
}
long Ddelete(const char* path) {
  GEMDOS(0x3A, HI(path), LO(path));
}
long Dsetpath(const char* path) {
  GEMDOS(0x3B, HI(path), LO(path));
}
long Fdelete(const char* name) {
  GEMDOS(0x41, HI(name), LO(name));
}
long Fdup(unsigned short standard) {
  GEMDOS(0x45, standard);
}
long Fsfirst(const char* pattern, unsigned short attributes) {
  GEMDOS(0x4E, HI(pattern), LO(pattern), attributes);
}
long Fsnext(void) {
  GEMDOS(0x4F);
}
long Frename(const char* old_name, const char* new_name) {
  GEMDOS(0x56, 0, HI(old_name), LO(old_name), HI(new_name), LO(new_name));
}
long Fdatime(unsigned short* time_date, unsigned short handle, unsigned short set) {
  GEMDOS(0x57, HI(time_date), LO(time_date), handle, set);
}
