// GEMDOS drive and folder calls. The program's drive C is the host's file
// tree: its current folder is the vellum process's working directory, and a
// name starting with '\' starts at the host's root.
#pragma once

#include <cstdint>

namespace oscalls {

void dsetdrv(uint32_t params);
void dgetdrv(uint32_t params);
void dfree(uint32_t params);
void dcreate(uint32_t params);
void ddelete(uint32_t params);
void dsetpath(uint32_t params);
void dgetpath(uint32_t params);

// Dfree's four longs for a file system of `free_bytes` and `total_bytes`:
// free clusters, total clusters, bytes per sector, sectors per cluster.
// Clusters are 1024 bytes (two sectors of 512), and the cluster counts are
// capped so that clusters times 1024 still fits a signed 32-bit number.
struct DfreeInfo {
  uint32_t free_clusters, total_clusters, sector_bytes, cluster_sectors;
};
DfreeInfo dfree_info(uint64_t free_bytes, uint64_t total_bytes);

}  // namespace oscalls
