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
    {0x0000, "Pterm0",   "",                    handler<pterm0>},
    {0x0001, "Cconin",   "",                    handler<cconin>},
    {0x0002, "Cconout",  "char",                handler<cconout>},
    {0x0003, "Cauxin",   "",                    handler<cauxin>},
    {0x0004, "Cauxout",  "char",                handler<cauxout>},
    {0x0005, "Cprnout",  "char",                handler<cprnout>},
    {0x0006, "Crawio",   "char",                handler<crawio>},
    {0x0007, "Crawcin",  "",                    handler<crawcin>},
    {0x0008, "Cnecin",   "",                    handler<cnecin>},
    {0x0009, "Cconws",   "string",              handler<cconws>},
    {0x000A, "Cconrs",   "buffer",              handler<cconrs>},
    {0x000B, "Cconis",   "",                    handler<cconis>},
    {0x000E, "Dsetdrv",  "drive",               handler<dsetdrv>},
    {0x0010, "Cconos",   "",                    handler<output_ready>},
    {0x0011, "Cprnos",   "",                    handler<output_ready>},
    {0x0012, "Cauxis",   "",                    handler<answer_zero>},
    {0x0013, "Cauxos",   "",                    handler<output_ready>},
    {0x0019, "Dgetdrv",  "",                    handler<dgetdrv>},
    {0x001A, "Fsetdta",  "dta",                 handler<fsetdta>},
    {0x0020, "Super",    "stack",               handler<super>},
    {0x002A, "Tgetdate", "",                    handler<tgetdate>},
    {0x002C, "Tgettime", "",                    handler<tgettime>},
    {0x002F, "Fgetdta",  "",                    handler<fgetdta>},
    {0x0030, "Sversion", "",                    handler<sversion>},
    {0x0036, "Dfree",    "buffer drive",        handler<dfree>},
    {0x0039, "Dcreate",  "path",                handler<dcreate>},
    {0x003A, "Ddelete",  "path",                handler<ddelete>},
    {0x003B, "Dsetpath", "path",                handler<dsetpath>},
    {0x003C, "Fcreate",  "name attr",           handler<fcreate>},
    {0x003D, "Fopen",    "name mode",           handler<fopen_call>},
    {0x003E, "Fclose",   "handle",              handler<fclose_call>},
    {0x003F, "Fread",    "handle count buffer", handler<fread_call>},
    {0x0040, "Fwrite",   "handle count buffer", handler<fwrite_call>},
    {0x0041, "Fdelete",  "name",                handler<fdelete>},
    {0x0042, "Fseek",    "offset handle mode",  handler<fseek_call>},
    {0x0043, "Fattrib",  "name wflag attrib",   handler<fattrib>},
    {0x0045, "Fdup",     "stdh",                handler<fdup>},
    {0x0046, "Fforce",   "stdh nonstdh",        handler<fforce>},
    {0x0047, "Dgetpath", "buffer drive",        handler<dgetpath>},
    {0x0048, "Malloc",   "size",                handler<malloc_call>},
    {0x0049, "Mfree",    "block",               handler<mfree>},
    {0x004A, "Mshrink",  "zero block newsize",  handler<mshrink>},
    {0x004B, "Pexec",    "mode name tail env",  handler<pexec>},
    {0x004C, "Pterm",    "code",                handler<pterm>},
    {0x004E, "Fsfirst",  "pattern attrib",      handler<fsfirst>},
    {0x004F, "Fsnext",   "",                    handler<fsnext>},
    {0x0056, "Frename",  "zero old new",        handler<frename>},
    {0x0057, "Fdatime",  "buffer handle flag",  handler<fdatime>},
    {0x0119, "Pdomain",  "domain",              handler<pdomain>},
    {0x0154, "Ssystem",  "mode arg1 arg2",      handler<ssystem>},
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
