// GEMDOS drive and folder calls. The program's drive C is the host's file
// tree: its current folder is the vellum process's working directory, and a
// name starting with '\' starts at the host's root.
#pragma once

#include <cstdint>

#include "oscalls/call_params.h"

namespace oscalls {

// The drives there are, one bit each (bit 2, drive C): Dsetdrv's answer and
// BIOS Drvmap's.
uint32_t drive_map();

void dsetdrv(Word drive);
void dgetdrv();
void dfree(Pointer buffer, Word drive);
void dcreate(StringPointer path);
void ddelete(StringPointer path);
void dsetpath(StringPointer path);
void dgetpath(Pointer buffer, Word drive);

// Dfree's four longs for a file system of `free_bytes` and `total_bytes`:
// free clusters, total clusters, bytes per sector, sectors per cluster.
// Clusters are 1024 bytes (two sectors of 512), and the cluster counts are
// capped at kMaxDfreeClusters, the size of a drive of the period.
// 32767 clusters of 1 KiB: the most a GEMDOS partition of 512-byte sectors
// holds, and a count that fits a signed 16-bit word, as programs of the
// period keep it (the larger counts of a modern disk come out as garbage or
// as negative free space).
inline constexpr uint32_t kMaxDfreeClusters = 32767;
struct DfreeInfo {
  uint32_t free_clusters, total_clusters, sector_bytes, cluster_sectors;
};
DfreeInfo dfree_info(uint64_t free_bytes, uint64_t total_bytes);

}  // namespace oscalls
