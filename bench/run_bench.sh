#!/bin/bash
# Speed of vellum on its CPU workloads, its tight loop and its start-up.
#
#   bench/run_bench.sh [gcc|clang] [runs]
#
# Builds, in build-bench-<compiler>/ (Release) and build-bench-<compiler>-count/
# (the same with the instruction counter), vellum, the workloads of
# bench/workloads (guests and host builds; needs the m68k cross tools) and
# vellum-proctime; then prints one table. Instruction counts come from the
# counting build, never from the cycle budget; times are whole-process wall
# times, median of `runs` runs (default 5) per workload and of at least 21
# runs for start-up, with /bin/true timed the same way beside it. Each guest's
# output is checked against its host build before it is timed. Beside each
# wall time the median CPU time (user plus system) is shown with the rate it
# gives: on a machine shared with other work, wall time also counts the time
# spent waiting for a core. VELLUM_BENCH_ENV="NAME=value ..." is applied to
# every run of vellum (see bench/bench_common.sh). bench/compare_qemu.sh
# times the same workloads beside their m68k Linux builds under qemu-m68k.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_common.sh
compiler=${1:-gcc}
runs=${2:-5}
bench_compiler "$compiler" || { echo "usage: $0 [gcc|clang] [runs]" >&2; exit 2; }
bench_check_vellum_env
count_build=$build-count

bench_configure "$build" -DVELLUM_TESTS=ON
bench_configure "$count_build" -DVELLUM_TESTS=OFF -DVELLUM_COUNT_INSTRUCTIONS=ON
bench_build "$build" vellum vellum-proctime workloads
bench_build "$count_build" vellum

vellum=$build/vellum
counting=$count_build/vellum
proctime=$build/bench/vellum-proctime
guests=$build/tests/e2e/guests
natives=$build/tests/e2e
if [ ! -f "$guests/workload_hello.tos" ]; then
  echo "the workloads need the m68k cross tools (gcc-m68k-linux-gnu binutils-m68k-linux-gnu)" >&2
  exit 1
fi

# Workload and the size the benchmark runs it at (about 3e8 instructions).
workloads=(sieve:280 crc32:800 sort:230 lz:120 fixed:240 strings:14000 vm:10000)

# A size may carry further words ("100 nop"): it is split into parameters.
instructions() {  # guest, size
  with_vellum_env "$counting" "$guests/workload_$1.tos" $2 2>&1 > /dev/null |
    sed -n 's/^vellum: \([0-9]*\) instructions$/\1/p'
}
checked() {  # guest, size: fails unless guest and host build agree
  if ! cmp -s <(with_vellum_env "$vellum" "$guests/workload_$1.tos" $2) \
    <("$natives/workload_$1_native" $2); then
    echo "workload $1: guest output differs from the host build" >&2
    exit 1
  fi
}
rate_row() {  # label, guest, size, runs
  checked "$2" "$3"
  local n t c
  n=$(instructions "$2" "$3")
  read -r t _ _ c < <(with_vellum_env "$proctime" "$4" "$vellum" "$guests/workload_$2.tos" $3)
  awk -v l="$1" -v n="$n" -v t="$t" -v c="$c" 'BEGIN {
    printf "| %s | %.3g | %.3f | %.0f | %.3f | %.0f |\n", l, n, t / 1e6, n / t, c / 1e6, n / c }'
  echo "$n $t $c" >> "$rates"
}
rates=$(mktemp)
trap 'rm -f "$rates"' EXIT
bench_heading "vellum speed"
echo
echo "| Workload | Instructions | Wall (s) | M instr/s (wall) | CPU (s) | M instr/s (CPU) |"
echo "|---|---|---|---|---|---|"
for w in "${workloads[@]}"; do rate_row "${w%%:*}" "${w%%:*}" "${w##*:}" "$runs"; done
echo "| median of the C workloads | | | $(awk '{ print $1 / $2 }' "$rates" | median) | |" \
  "$(awk '{ print $1 / $3 }' "$rates" | median) |"
rate_row "tight loop (10 instructions)" tightloop 100 "$runs"
rate_row "dispatch alone (8 NOPs in the loop)" tightloop "100 nop" "$runs"
echo
read -r hello_us hello_min hello_kb _ < \
  <(with_vellum_env "$proctime" 31 "$vellum" "$guests/workload_hello.tos")
read -r true_us true_min true_kb _ < <("$proctime" 31 /bin/true)
echo "| Start-up (31 runs) | Median wall (ms) | Fastest (ms) | Peak RSS (MB) |"
echo "|---|---|---|---|"
row() {
  awk -v l="$1" -v t="$2" -v f="$3" -v k="$4" \
    'BEGIN { printf "| %s | %.2f | %.2f | %s |\n", l, t / 1e3, f / 1e3, k == "" ? "" : sprintf("%.1f", k / 1024) }'
}
row "vellum hello world" "$hello_us" "$hello_min" "$hello_kb"
row "/bin/true" "$true_us" "$true_min" "$true_kb"
row "difference" "$((hello_us - true_us))" "$((hello_min - true_min))" ""
