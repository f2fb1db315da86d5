#include "oscalls/gemdos.h"

#include "oscalls/console.h"
#include "oscalls/date_time.h"
#include "oscalls/file_calls.h"
#include "oscalls/folder_calls.h"
#include "oscalls/malloc_calls.h"
#include "oscalls/probes.h"
#include "oscalls/process.h"

namespace oscalls {

namespace {

// clang-format off
constexpr OsCall kGemdosCalls[] = {
    {0x0000, "Pterm0",   "",                             pterm0},
    {0x0001, "Cconin",   "",                             cconin},
    {0x0002, "Cconout",  "char:c",                       cconout},
    {0x0003, "Cauxin",   "",                             cauxin},
    {0x0004, "Cauxout",  "char:c",                       cauxout},
    {0x0005, "Cprnout",  "char:c",                       cprnout},
    {0x0006, "Crawio",   "char:c",                       crawio},
    {0x0007, "Crawcin",  "",                             crawcin},
    {0x0008, "Cnecin",   "",                             cnecin},
    {0x0009, "Cconws",   "string:s",                     cconws},
    {0x000A, "Cconrs",   "buffer:p",                     cconrs},
    {0x000B, "Cconis",   "",                             cconis},
    {0x000E, "Dsetdrv",  "drive:w",                      dsetdrv},
    {0x0010, "Cconos",   "",                             output_ready},
    {0x0011, "Cprnos",   "",                             output_ready},
    {0x0012, "Cauxis",   "",                             answer_zero},
    {0x0013, "Cauxos",   "",                             output_ready},
    {0x0019, "Dgetdrv",  "",                             dgetdrv},
    {0x001A, "Fsetdta",  "dta:p",                        fsetdta},
    {0x0020, "Super",    "stack:p",                      super},
    {0x002A, "Tgetdate", "",                             tgetdate},
    {0x002C, "Tgettime", "",                             tgettime},
    {0x002F, "Fgetdta",  "",                             fgetdta},
    {0x0030, "Sversion", "",                             sversion},
    {0x0036, "Dfree",    "buffer:p drive:w",             dfree},
    {0x0039, "Dcreate",  "path:s",                       dcreate},
    {0x003A, "Ddelete",  "path:s",                       ddelete},
    {0x003B, "Dsetpath", "path:s",                       dsetpath},
    {0x003C, "Fcreate",  "name:s attr:w",                fcreate},
    {0x003D, "Fopen",    "name:s mode:w",                fopen_call},
    {0x003E, "Fclose",   "handle:i",                     fclose_call},
    {0x003F, "Fread",    "handle:i count:l buffer:p",    fread_call},
    {0x0040, "Fwrite",   "handle:i count:l buffer:p",    fwrite_call},
    {0x0041, "Fdelete",  "name:s",                       fdelete},
    {0x0042, "Fseek",    "offset:l handle:i mode:w",     fseek_call},
    {0x0043, "Fattrib",  "name:s wflag:w attrib:w",      fattrib},
    {0x0045, "Fdup",     "stdh:i",                       fdup},
    {0x0046, "Fforce",   "stdh:i nonstdh:i",             fforce},
    {0x0047, "Dgetpath", "buffer:p drive:w",             dgetpath},
    {0x0048, "Malloc",   "size:l",                       malloc_call},
    {0x0049, "Mfree",    "block:p",                      mfree},
    {0x004A, "Mshrink",  "zero:w block:p newsize:l",     mshrink},
    {0x004B, "Pexec",    "mode:w name:s tail:p env:p",   pexec},
    {0x004C, "Pterm",    "code:i",                       pterm},
    {0x004E, "Fsfirst",  "pattern:s attrib:w",           fsfirst},
    {0x004F, "Fsnext",   "",                             fsnext},
    {0x0056, "Frename",  "zero:w old:s new:s",           frename},
    {0x0057, "Fdatime",  "buffer:p handle:i flag:w",     fdatime},
    {0x0119, "Pdomain",  "domain:w",                     later_os_probe},
    {0x0154, "Ssystem",  "mode:i arg1:l arg2:l",         ssystem},
};
// clang-format on

// From 0x100 on the numbers are those of later OS versions: a library that
// asks for one expects -32 from an OS without it and goes on.
constexpr uint32_t kLaterOsCalls = 0x100;
const OsCallLayer kGemdos{"GEMDOS", kGemdosCalls, kGemdosNames, kLaterOsCalls};

}  // namespace

std::span<const OsCall> gemdos_calls() {
  return kGemdosCalls;
}

void gemdos_dispatch(uint32_t params) {
  dispatch_os_call(kGemdos, params);
}

}  // namespace oscalls
