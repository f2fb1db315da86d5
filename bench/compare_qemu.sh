#!/bin/bash
# vellum beside a user-mode translator of m68k Linux programs:
#
#   bench/compare_qemu.sh [gcc|clang] [runs]
#
# The seven C workloads and the tight loop (with its NOP mode) are built
# from the same sources as vellum guests and as static m68k Linux programs
# (bench/m68k_linux: the same compiler flags, a runtime of our own, the
# guest runtime's multiply and divide helpers, no C library), the latter run
# by `qemu-m68k -cpu m68000`. Each workload's three builds (guest under
# vellum, Linux build under qemu-m68k, host build) must print the same bytes
# and end with status 0 at the size timed before anything is timed. Then the
# vellum and qemu-m68k runs alternate, `runs` of each (default 3), and the
# table gives their median CPU times (user plus system) and the ratio
# vellum / qemu-m68k, with the median ratio of the C workloads. Builds in
# build-bench-<compiler>/, as bench/run_bench.sh does. Without qemu-m68k
# (Debian's qemu-user) the comparison is skipped with a message.
# VELLUM_BENCH_ENV="NAME=value ..." is applied to every run of vellum.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_common.sh
compiler=${1:-gcc}
runs=${2:-3}
if ! bench_compiler "$compiler" || [[ ! $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [gcc|clang] [runs]" >&2
  exit 2
fi
bench_check_vellum_env
qemu=$(command -v qemu-m68k) || {
  echo "qemu-m68k not found (apt-get install qemu-user): comparison skipped" >&2
  exit 0
}

bench_configure "$build" -DVELLUM_TESTS=ON
bench_build "$build" vellum vellum-proctime workloads
vellum=$build/vellum
proctime=$build/bench/vellum-proctime
guests=$build/tests/e2e/guests
natives=$build/tests/e2e
linux=$build/bench/m68k-linux
if [ ! -f "$guests/workload_hello.tos" ]; then
  echo "the workloads need the m68k cross tools (gcc-m68k-linux-gnu binutils-m68k-linux-gnu)" >&2
  exit 1
fi
bench_build "$build" m68k_linux_workloads

# Workload and the size both builds run at: about 0.4 s of CPU under
# qemu-m68k on the machine of the README's table, long enough to time.
workloads=(sieve:1600 crc32:5000 sort:900 lz:560 fixed:1300 strings:60000 vm:30000)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A size may carry further words ("400 nop"): it is split into parameters.
agree() {  # workload, size: fails unless the three builds print the same and succeed
  local status=0
  with_vellum_env "$vellum" "$guests/workload_$1.tos" $2 > "$work/vellum" || status=$?
  "$qemu" -cpu m68000 "$linux/workload_$1" $2 > "$work/qemu" || status=$((status | $?))
  "$natives/workload_$1_native" $2 > "$work/host" || status=$((status | $?))
  if [ $status -ne 0 ]; then
    echo "workload $1 $2: a build ended with a failure status" >&2
    exit 1
  fi
  if ! cmp -s "$work/vellum" "$work/host" || ! cmp -s "$work/qemu" "$work/host"; then
    echo "workload $1 $2: the outputs differ" >&2
    diff3 "$work/vellum" "$work/qemu" "$work/host" | head -20 >&2 || true
    exit 1
  fi
}
cpu_time() {  # command...: the CPU microseconds of one run
  local cpu
  read -r _ _ _ cpu < <("$@")
  echo "$cpu"
}
compare_row() {  # label, workload, size
  agree "$2" "$3"
  : > "$work/vellum_times"
  : > "$work/qemu_times"
  for ((i = 0; i < runs; ++i)); do
    cpu_time with_vellum_env "$proctime" 1 "$vellum" "$guests/workload_$2.tos" $3 \
      >> "$work/vellum_times"
    cpu_time "$proctime" 1 "$qemu" -cpu m68000 "$linux/workload_$2" $3 >> "$work/qemu_times"
  done
  local v q
  v=$(median %.0f < "$work/vellum_times")
  q=$(median %.0f < "$work/qemu_times")
  awk -v l="$1" -v s="$3" -v v="$v" -v q="$q" 'BEGIN {
    printf "| %s | %s | %.3f | %.3f | %.1f |\n", l, s, v / 1e6, q / 1e6, v / q }'
  echo "$v $q" >> "$work/ratios"
}

qemu_version=$("$qemu" --version | sed -n '1s/^qemu-m68k version \([^ ]*\).*/\1/p')
bench_heading "vellum / qemu-m68k ${qemu_version:-} -cpu m68000, median CPU time of $runs runs"
echo
echo "| Workload | Size | vellum CPU (s) | qemu-m68k CPU (s) | vellum / qemu-m68k |"
echo "|---|---|---|---|---|"
: > "$work/ratios"
for w in "${workloads[@]}"; do compare_row "${w%%:*}" "${w%%:*}" "${w##*:}"; done
echo "| median of the C workloads | | | | $(awk '{ print $1 / $2 }' "$work/ratios" | median %.1f) |"
compare_row "tight loop (10 instructions)" tightloop 250
compare_row "dispatch alone (8 NOPs in the loop)" tightloop "400 nop"
