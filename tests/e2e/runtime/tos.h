/* GEMDOS, BIOS and XBIOS calls for C guest programs. Each wrapper lays out
   the call's parameter block exactly as the OS reads it (function number
   word, then words and longs, big-endian) and hands it to a trap gate. */
#ifndef GUEST_TOS_H
#define GUEST_TOS_H

long __trap1(const unsigned short* block, unsigned long bytes);
long __trap13(const unsigned short* block, unsigned long bytes);
long __trap14(const unsigned short* block, unsigned long bytes);

/* Calls by number alone, for functions without parameters or that the OS
   does not know. */
long gemdos_call(unsigned short function);
long bios_call(unsigned short function);
long xbios_call(unsigned short function);

void Pterm0(void) __attribute__((noreturn));
void Pterm(unsigned short code) __attribute__((noreturn));
long Cconws(const char* text);
long Dgetdrv(void);
long Fsetdta(void* dta);
long Fgetdta(void);
long Super(long stack);
long Tgetdate(void);
long Tgettime(void);
long Fcreate(const char* name, unsigned short attributes);
long Fopen(const char* name, unsigned short mode);
long Fclose(unsigned short handle);
long Fread(unsigned short handle, long count, void* buffer);
long Fwrite(unsigned short handle, long count, const void* buffer);
long Fseek(long offset, unsigned short handle, unsigned short mode);
long Fattrib(const char* name, unsigned short wflag, unsigned short attributes);
long Fforce(unsigned short standard, unsigned short other);
long Dgetpath(char* buffer, unsigned short drive);
long Dsetdrv(unsigned short drive);
long Dfree(long* buffer, unsigned short drive);
long Dcreate(const char* path);
long Ddelete(const char* path);
long Dsetpath(const char* path);
long Fdelete(const char* name);
long Fdup(unsigned short standard);
long Fsfirst(const char* pattern, unsigned short attributes);
long Fsnext(void);
long Frename(const char* old_name, const char* new_name);
long Fdatime(unsigned short* time_date, unsigned short handle, unsigned short set);
long Malloc(long size);
long Mfree(void* block);
long Mshrink(void* block, long size);

long Setexc(unsigned short vector, long address);
long Supexec(long (*routine)(void));

#endif
