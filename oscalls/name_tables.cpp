#include "oscalls/name_tables.h"

#include <cstdio>
#include <iterator>

namespace oscalls {

namespace {

// Builds a row at compile time: the name, then spaces up to the field width,
// then the terminating NUL, so printing the field prints all 31 characters.
consteval OsCallName row(uint16_t number, const char* name) {
  OsCallName r{number, {}};
  unsigned i = 0;
  for (; name[i] != 0; ++i) {
    if (i == kCallNameWidth) throw "call name longer than its field";
    r.name[i] = name[i];
  }
  for (; i < kCallNameWidth; ++i) r.name[i] = ' ';
  r.name[kCallNameWidth] = 0;
  return r;
}

constexpr OsCallName kGemdosRows[] = {
    row(0x0000, "Pterm0"),        row(0x0001, "Cconin"),       row(0x0002, "Cconout"),
    row(0x0003, "Cauxin"),        row(0x0004, "Cauxout"),      row(0x0005, "Cprnout"),
    row(0x0006, "Crawio"),        row(0x0007, "Crawcin"),      row(0x0008, "Cnecin"),
    row(0x0009, "Cconws"),        row(0x000A, "Cconrs"),       row(0x000B, "Cconis"),
    row(0x000E, "Dsetdrv"),       row(0x0010, "Cconos"),       row(0x0011, "Cprnos"),
    row(0x0012, "Cauxis"),        row(0x0013, "Cauxos"),       row(0x0014, "Maddalt"),
    row(0x0015, "Srealloc"),      row(0x0016, "Slbopen"),      row(0x0017, "Slbclose"),
    row(0x0019, "Dgetdrv"),       row(0x001A, "Fsetdta"),      row(0x0020, "Super"),
    row(0x002A, "Tgetdate"),      row(0x002B, "Tsetdate"),     row(0x002C, "Tgettime"),
    row(0x002D, "Tsettime"),      row(0x002F, "Fgetdta"),      row(0x0030, "Sversion"),
    row(0x0031, "Ptermres"),      row(0x0033, "Sconfig"),      row(0x0036, "Dfree"),
    row(0x0039, "Dcreate"),       row(0x003A, "Ddelete"),      row(0x003B, "Dsetpath"),
    row(0x003C, "Fcreate"),       row(0x003D, "Fopen"),        row(0x003E, "Fclose"),
    row(0x003F, "Fread"),         row(0x0040, "Fwrite"),       row(0x0041, "Fdelete"),
    row(0x0042, "Fseek"),         row(0x0043, "Fattrib"),      row(0x0044, "Mxalloc"),
    row(0x0045, "Fdup"),          row(0x0046, "Fforce"),       row(0x0047, "Dgetpath"),
    row(0x0048, "Malloc"),        row(0x0049, "Mfree"),        row(0x004A, "Mshrink"),
    row(0x004B, "Pexec"),         row(0x004C, "Pterm"),        row(0x004E, "Fsfirst"),
    row(0x004F, "Fsnext"),        row(0x0056, "Frename"),      row(0x0057, "Fdatime"),
    row(0x005C, "Flock"),         row(0x0060, "Nversion"),     row(0x0062, "Frlock"),
    row(0x0063, "Frunlock"),      row(0x0064, "F_lock"),       row(0x0065, "Funlock"),
    row(0x0066, "Fflush"),        row(0x0070, "Mfork"),        row(0x00FF, "Syield"),
    row(0x0100, "Fpipe"),         row(0x0101, "Ffchown"),      row(0x0102, "Ffchmod"),
    row(0x0103, "Fsync"),         row(0x0104, "Fcntl"),        row(0x0105, "Finstat"),
    row(0x0106, "Foutstat"),      row(0x0107, "Fgetchar"),     row(0x0108, "Fputchar"),
    row(0x0109, "Pwait"),         row(0x010A, "Pnice"),        row(0x010B, "Pgetpid"),
    row(0x010C, "Pgetppid"),      row(0x010D, "Pgetpgrp"),     row(0x010E, "Psetpgrp"),
    row(0x010F, "Pgetuid"),       row(0x0110, "Psetuid"),      row(0x0111, "Pkill"),
    row(0x0112, "Psignal"),       row(0x0113, "Pvfork"),       row(0x0114, "Pgetgid"),
    row(0x0115, "Psetgid"),       row(0x0116, "Psigblock"),    row(0x0117, "Psigsetmask"),
    row(0x0118, "Pusrval"),       row(0x0119, "Pdomain"),      row(0x011A, "Psigreturn"),
    row(0x011B, "Pfork"),         row(0x011C, "Pwait3"),       row(0x011D, "Fselect"),
    row(0x011E, "Prusage"),       row(0x011F, "Psetlimit"),    row(0x0120, "Talarm"),
    row(0x0121, "Pause"),         row(0x0122, "Sysconf"),      row(0x0123, "Psigpending"),
    row(0x0124, "Dpathconf"),     row(0x0125, "Pmsg"),         row(0x0126, "Fmidipipe"),
    row(0x0127, "Prenice"),       row(0x0128, "Dopendir"),     row(0x0129, "Dreaddir"),
    row(0x012A, "Drewinddir"),    row(0x012B, "Dclosedir"),    row(0x012C, "Fxattr"),
    row(0x012D, "Flink"),         row(0x012E, "Fsymlink"),     row(0x012F, "Freadlink"),
    row(0x0130, "Dcntl"),         row(0x0131, "Fchown"),       row(0x0132, "Fchmod"),
    row(0x0133, "Pumask"),        row(0x0134, "Psemaphore"),   row(0x0135, "Dlock"),
    row(0x0136, "Psigpause"),     row(0x0137, "Psigaction"),   row(0x0138, "Pgeteuid"),
    row(0x0139, "Pgetegid"),      row(0x013A, "Pwaitpid"),     row(0x013B, "Dgetcwd"),
    row(0x013C, "Salert"),        row(0x013D, "Tmalarm"),      row(0x013E, "Psigintr"),
    row(0x013F, "Suptime"),       row(0x0140, "Ptrace"),       row(0x0141, "Mvalidate"),
    row(0x0142, "Dxreaddir"),     row(0x0143, "Pseteuid"),     row(0x0144, "Psetegid"),
    row(0x0145, "Pgetauid"),      row(0x0146, "Psetauid"),     row(0x0147, "Pgetgroups"),
    row(0x0148, "Psetgroups"),    row(0x0149, "Tsetitimer"),   row(0x014A, "Scookie"),
    row(0x014A, "Dchroot"),       row(0x014B, "Fstat64"),      row(0x014C, "Fseek64"),
    row(0x014D, "Dsetkey"),       row(0x014E, "Psetreuid"),    row(0x014F, "Psetregid"),
    row(0x0150, "Ssync"),         row(0x0151, "Shutdown"),     row(0x0152, "Dreadlabel"),
    row(0x0153, "Dwritelabel"),   row(0x0154, "Ssystem"),      row(0x0155, "Tgettimeofday"),
    row(0x0156, "Tsettimeofday"), row(0x0157, "Tadjtime"),     row(0x0158, "Pgetpriority"),
    row(0x0159, "Psetpriority"),  row(0x015A, "Fpoll"),        row(0x015B, "Fwritev"),
    row(0x015C, "Freadv"),        row(0x015D, "Ffstat64"),     row(0x015E, "Psysctl"),
    row(0x015F, "Pemulation"),    row(0x0160, "Fsocket"),      row(0x0161, "Fsocketpair"),
    row(0x0162, "Faccept"),       row(0x0163, "Fconnect"),     row(0x0164, "Fbind"),
    row(0x0165, "Flisten"),       row(0x0166, "Frecvmsg"),     row(0x0167, "Fsendmsg"),
    row(0x0168, "Frecvfrom"),     row(0x0169, "Fsendto"),      row(0x016A, "Fsetsockopt"),
    row(0x016B, "Fgetsockopt"),   row(0x016C, "Fgetpeername"), row(0x016D, "Fgetsockname"),
    row(0x016E, "Fshutdown"),     row(0x0170, "Pshmget"),      row(0x0171, "Pshmctl"),
    row(0x0172, "Pshmat"),        row(0x0173, "Pshmdt"),       row(0x0174, "Psemget"),
    row(0x0175, "Psemctl"),       row(0x0176, "Psemop"),       row(0x0177, "Psemconfig"),
    row(0x0178, "Pmsgget"),       row(0x0179, "Pmsgctl"),      row(0x017A, "Pmsgsnd"),
    row(0x017B, "Pmsgrcv"),       row(0x017D, "Maccess"),      row(0x0180, "Fchown16"),
    row(0x0181, "Fchdir"),        row(0x0182, "Ffdopendir"),   row(0x0183, "Fdirfd"),
};

constexpr OsCallName kXbiosRows[] = {
    row(0x0000, "Initmouse"),
    row(0x0001, "Ssbrk"),
    row(0x0002, "Physbase"),
    row(0x0003, "Logbase"),
    row(0x0004, "Getrez"),
    row(0x0005, "Setscreen"),
    row(0x0005, "VSetscreen"),
    row(0x0006, "Setpalette"),
    row(0x0007, "Setcolor"),
    row(0x0008, "Floprd"),
    row(0x0009, "Flopwr"),
    row(0x000A, "Flopfmt"),
    row(0x000B, "Dbmsg"),
    row(0x000C, "Midiws"),
    row(0x000D, "Mfpint"),
    row(0x000E, "Iorec"),
    row(0x000F, "Rsconf"),
    row(0x0010, "Keytbl"),
    row(0x0011, "Random"),
    row(0x0012, "Protobt"),
    row(0x0013, "Flopver"),
    row(0x0014, "Scrdmp"),
    row(0x0015, "Cursconf"),
    row(0x0016, "Settime"),
    row(0x0017, "Gettime"),
    row(0x0018, "Bioskeys"),
    row(0x0019, "Ikbdws"),
    row(0x001A, "Jdisint"),
    row(0x001B, "Jenabint"),
    row(0x001C, "Giaccess"),
    row(0x001D, "Offgibit"),
    row(0x001E, "Ongibit"),
    row(0x001F, "Xbtimer"),
    row(0x0020, "Dosound"),
    row(0x0021, "Setprt"),
    row(0x0022, "Kbdvbase"),
    row(0x0023, "Kbrate"),
    row(0x0024, "Prtblk"),
    row(0x0025, "Vsync"),
    row(0x0026, "Supexec"),
    row(0x0027, "Puntaes"),
    row(0x0029, "Floprate"),
    row(0x002A, "DMAread"),
    row(0x002B, "DMAwrite"),
    row(0x002C, "Bconmap"),
    row(0x002E, "NVMaccess"),
    row(0x002F, "Waketime"),
    row(0x0040, "Blitmode"),
    row(0x0050, "EsetShift"),
    row(0x0051, "EgetShift"),
    row(0x0052, "EsetBank"),
    row(0x0053, "EsetColor"),
    row(0x0054, "EsetPalette"),
    row(0x0055, "EgetPalette"),
    row(0x0056, "EsetGray"),
    row(0x0057, "EsetSmear"),
    row(0x0058, "Vsetmode"),
    row(0x0059, "mon_type"),
    row(0x005A, "VsetSync"),
    row(0x005B, "VgetSize"),
    row(0x005C, "VsetVars"),
    row(0x005D, "VsetRGB"),
    row(0x005E, "VgetRGB"),
    row(0x005F, "VcheckMode"),
    row(0x0060, "Dsp_DoBlock"),
    row(0x0061, "Dsp_BlkHandShake"),
    row(0x0062, "Dsp_BlkUnpacked"),
    row(0x0063, "Dsp_InStream"),
    row(0x0064, "Dsp_OutStream"),
    row(0x0065, "Dsp_IOStream"),
    row(0x0066, "Dsp_RemoveInterrupts"),
    row(0x0067, "Dsp_GetWordSize"),
    row(0x0068, "Dsp_Lock"),
    row(0x0069, "Dsp_Unlock"),
    row(0x006A, "Dsp_Available"),
    row(0x006B, "Dsp_Reserve"),
    row(0x006C, "Dsp_LoadProg"),
    row(0x006D, "Dsp_ExecProg"),
    row(0x006E, "Dsp_ExecBoot"),
    row(0x006F, "Dsp_LodToBinary"),
    row(0x0070, "Dsp_TriggerHC"),
    row(0x0071, "Dsp_RequestUniqueAbility"),
    row(0x0072, "Dsp_GetProgAbility"),
    row(0x0073, "Dsp_FlushSubroutines"),
    row(0x0074, "Dsp_LoadSubroutine"),
    row(0x0075, "Dsp_InqSubrAbility"),
    row(0x0076, "Dsp_RunSubroutine"),
    row(0x0077, "Dsp_Hf0"),
    row(0x0078, "Dsp_Hf1"),
    row(0x0079, "Dsp_Hf2"),
    row(0x007A, "Dsp_Hf3"),
    row(0x007B, "Dsp_BlkWords"),
    row(0x007C, "Dsp_BlkBytes"),
    row(0x007D, "Dsp_HStat"),
    row(0x007E, "Dsp_SetVectors"),
    row(0x007F, "Dsp_MultBlocks"),
    row(0x0080, "locksnd"),
    row(0x0081, "unlocksnd"),
    row(0x0082, "soundcmd"),
    row(0x0083, "setbuffer"),
    row(0x0084, "setmode"),
    row(0x0085, "settracks"),
    row(0x0086, "setmontracks"),
    row(0x0087, "setinterrupt"),
    row(0x0088, "buffoper"),
    row(0x0089, "dsptristate"),
    row(0x008A, "gpio"),
    row(0x008B, "devconnect"),
    row(0x008C, "sndstatus"),
    row(0x008D, "buffptr"),
    row(0x0096, "VsetMask"),
};

constexpr OsCallName kBiosRows[] = {
    row(0x0000, "Getmpb"),  row(0x0001, "Bconstat"), row(0x0002, "Bconin"),  row(0x0003, "Bconout"),
    row(0x0004, "Rwabs"),   row(0x0005, "Setexc"),   row(0x0006, "Tickcal"), row(0x0007, "Getbpb"),
    row(0x0008, "Bcostat"), row(0x0009, "Mediach"),  row(0x000A, "Drvmap"),  row(0x000B, "Kbshift"),
};

template <unsigned N>
constexpr OsCallNameTable table_of(const OsCallName (&rows)[N]) {
  return OsCallNameTable{rows, N};
}

static_assert(std::size(kGemdosRows) == 195);
static_assert(std::size(kXbiosRows) == 111);
static_assert(std::size(kBiosRows) == 12);

}  // namespace

const OsCallNameTable kGemdosNames = table_of(kGemdosRows);
const OsCallNameTable kXbiosNames = table_of(kXbiosRows);
const OsCallNameTable kBiosNames = table_of(kBiosRows);

const OsCallName* find_call_name(const OsCallNameTable& table, uint32_t number) {
  for (unsigned i = 0; i < table.count; ++i)
    if (table.rows[i].number == number) return &table.rows[i];
  return nullptr;
}

void print_unhandled_call(const char* layer, const OsCallNameTable& table, uint32_t number) {
  std::printf("UNHANDLED %s CALL %04x ", layer, number);
  if (const OsCallName* row = find_call_name(table, number)) std::printf("%s", row->name);
  std::putchar('\n');
}

}  // namespace oscalls
