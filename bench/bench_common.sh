# shellcheck shell=bash
# Sourced by the benchmark scripts: the compiler choice, the builds
# in build-bench-<compiler>*, the median and the command that runs vellum.
#
# VELLUM_BENCH_ENV holds extra environment assignments for every run of
# vellum in a benchmark ("NAME=value NAME2=value2"), such as a switch of the
# CPU engine: the same binary is then measured with and without it. Only
# NAME=value words are accepted, so nothing in it can become a command.

# bench_compiler gcc|clang: sets cc, cxx and build (the build directory).
# shellcheck disable=SC2034  # build is the caller's
bench_compiler() {
  case $1 in
    gcc) cc=gcc cxx=g++ ;;
    clang) cc=clang cxx=clang++ ;;
    *) return 1 ;;
  esac
  build=build-bench-$1
}

# bench_configure directory [cmake options...]: a Release build with $cc/$cxx.
bench_configure() {
  local dir=$1
  shift
  mkdir -p "$dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=$cc \
    -DCMAKE_CXX_COMPILER=$cxx "$@" > "$dir/bench-configure.log" 2>&1 ||
    { cat "$dir/bench-configure.log" >&2; exit 1; }
}

# bench_build directory targets...: two jobs, the log's end on failure.
bench_build() {
  local dir=$1
  shift
  cmake --build "$dir" -j2 --target "$@" > "$dir/bench-build.log" 2>&1 ||
    { tail -30 "$dir/bench-build.log" >&2; exit 1; }
}

# with_vellum_env command...: runs the command (vellum, or the timer that
# runs it) with VELLUM_BENCH_ENV's assignments exported, in a subshell, so
# that nothing else sees them and no extra program is timed.
with_vellum_env() {
  (
    set -f
    # shellcheck disable=SC2086,SC2163  # the assignments are split into words on purpose
    if [ -n "${VELLUM_BENCH_ENV:-}" ]; then export $VELLUM_BENCH_ENV; fi
    exec "$@"
  )
}

# Refuses VELLUM_BENCH_ENV unless every word of it is an assignment.
bench_check_vellum_env() {
  local word
  set -f
  for word in ${VELLUM_BENCH_ENV:-}; do
    if [[ ! $word =~ ^[A-Za-z_][A-Za-z0-9_]*= ]]; then
      echo "VELLUM_BENCH_ENV: '$word' is not an assignment NAME=value" >&2
      exit 2
    fi
  done
  set +f
}

# The first line of a table: what ran, when and where.
bench_heading() {  # title
  local cpu_model engine=""
  cpu_model=$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)
  if [ -n "${VELLUM_BENCH_ENV:-}" ]; then engine=", vellum run with $VELLUM_BENCH_ENV"; fi
  echo "$1, $(date -u +%Y-%m-%d), $cpu_model ($(nproc) cores), $($cxx --version | head -1)$engine"
}

# Median of the numbers on standard input, printed with the format given
# (default: a whole number).
median() {
  sort -g | awk -v format="${1:-%.0f}" '{ r[NR] = $1 } END {
    printf format, NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }'
}
