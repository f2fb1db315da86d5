/* Shell sort and heap sort of generated keys, a stable insertion sort of
   16-bit records by key; each round checks order and agreement. */
#include "workload.h"

#define COUNT 2048
#define RECORDS 256

static u32 keys[COUNT], copy[COUNT];

struct record {
  s16 key;
  u16 serial;
};
static struct record records[RECORDS];

static void shell_sort(u32* a, u32 n) {
  static const u32 gaps[] = {701, 301, 132, 57, 23, 10, 4, 1};
  for (u32 g = 0; g < sizeof gaps / sizeof gaps[0]; ++g) {
    u32 gap = gaps[g];
    for (u32 i = gap; i < n; ++i) {
      u32 v = a[i], j = i;
      for (; j >= gap && a[j - gap] > v; j -= gap) a[j] = a[j - gap];
      a[j] = v;
    }
  }
}

static void sift_down(u32* a, u32 root, u32 n) {
  u32 v = a[root];
  for (;;) {
    u32 child = 2 * root + 1;
    if (child >= n) break;
    if (child + 1 < n && a[child + 1] > a[child]) ++child;
    if (a[child] <= v) break;
    a[root] = a[child];
    root = child;
  }
  a[root] = v;
}

static void heap_sort(u32* a, u32 n) {
  for (u32 i = n / 2; i-- > 0;) sift_down(a, i, n);
  for (u32 end = n - 1; end > 0; --end) {
    u32 t = a[0];
    a[0] = a[end];
    a[end] = t;
    sift_down(a, 0, end);
  }
}

static void insertion_sort(struct record* r, u32 n) {
  for (u32 i = 1; i < n; ++i) {
    struct record v = r[i];
    u32 j = i;
    for (; j > 0 && r[j - 1].key > v.key; --j) r[j] = r[j - 1];
    r[j] = v;
  }
}

int main(int argc, char** argv) {
  u32 rounds = workload_scale(argc, argv, 4);
  u32 seed = 2463534242u, checksum = 0, faults = 0;
  for (u32 round = 0; round < rounds; ++round) {
    /* Fewer distinct keys in some rounds, to exercise equal keys. */
    u32 range_mask = round & 1 ? 0xFFFFFFFFu : 0x3FF;
    for (u32 i = 0; i < COUNT; ++i) copy[i] = keys[i] = next_random(&seed) & range_mask;
    shell_sort(keys, COUNT);
    heap_sort(copy, COUNT);
    for (u32 i = 0; i < COUNT; ++i) {
      if (keys[i] != copy[i] || (i && keys[i - 1] > keys[i])) ++faults;
      checksum = mix(checksum, keys[i]);
    }
    for (u32 i = 0; i < RECORDS; ++i) {
      records[i].key = (s16)(next_random(&seed) >> 20) - 2048;
      records[i].serial = (u16)i;
    }
    insertion_sort(records, RECORDS);
    for (u32 i = 0; i < RECORDS; ++i) {
      if (i && records[i - 1].key == records[i].key && records[i - 1].serial > records[i].serial)
        ++faults;
      checksum = mix(checksum, (u32)(u16)records[i].key << 16 | records[i].serial);
    }
  }
  report_dec("order faults", (s32)faults);
  report("checksum", checksum);
  report_dec("smallest key of the last round", (s32)keys[0]);
  return 0;
}
