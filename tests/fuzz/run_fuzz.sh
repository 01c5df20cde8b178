#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time on a copy of its seed
# corpus (the repository's corpus is never modified). Fails on any crash, leak, sanitizer report,
# broken check or timeout; prints executions and executions per second for every target.
#
#   run_fuzz.sh [--build-dir DIR] [--seconds N] [--keep-corpus DIR] [--build-only | --no-build] [target ...]
#     --keep-corpus DIR  grow DIR/<target> (seeded from the repository's corpus) across runs
#                        instead of a temporary copy
#   run_fuzz.sh --make-seeds      regenerate corpus/engine from the compiler seeds
#
# A failing input is kept as DIR/artifacts/<target>/crash-* (or leak-*, timeout-*); rerun it with
#   DIR/fuzz_<target> DIR/artifacts/<target>/<file>
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build/fuzz-clang"
seconds=20
mode=run
kept=""
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --build-only) mode=build; shift ;;
    --no-build) mode=nobuild; shift ;;
    --make-seeds) mode=seeds; shift ;;
    --keep-corpus) kept="$2"; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    -*) echo "run_fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

# Per-input limits: a slow input is a finding (the engine must never hold the keyboard long).
input_timeout=5
rss_limit_mb=2048

build_targets() {
  local cxx
  cxx="$(command -v clang++ || command -v clang++-14)" || { echo "run_fuzz.sh: clang++ not found" >&2; return 1; }
  mkdir -p "$build"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >"$build/configure.log" 2>&1 \
    || { cat "$build/configure.log" >&2; return 1; }
  cmake --build "$build" -j2
}

make_seeds() {
  local out="$here/corpus/engine" n=0 script
  for script in "$here"/corpus/compiler/*; do
    "$build/make_engine_seed" "$script" "$out/seed-$(basename "$script" .txt).bin" 2>/dev/null && n=$((n + 1))
  done
  echo "run_fuzz.sh: $n engine seeds in $out"
}

# One line of libFuzzer's final statistics, e.g. stat::number_of_executed_units.
final_stat() { sed -n "s/^stat::$1: *//p" "$2" | tail -1; }

run_target() {
  local target="$1" bin="$build/fuzz_$1" work log artifacts rc problem=""
  [ -x "$bin" ] || { echo "fuzz $target: FAILED, $bin is not built"; return 1; }
  work="$(mktemp -d)"
  log="$work/log"
  artifacts="$build/artifacts/$target"
  local corpus="$work/corpus"
  [ -n "$kept" ] && corpus="$kept/$target"
  mkdir -p "$corpus" "$artifacts"
  cp "$here/corpus/$target"/* "$corpus/" 2>/dev/null
  local seeds
  seeds="$(ls "$corpus" | wc -l)"
  local options=(-max_total_time="$seconds" -timeout="$input_timeout" -rss_limit_mb="$rss_limit_mb"
                 -print_final_stats=1 -artifact_prefix="$artifacts/")
  [ -f "$here/$target.dict" ] && options+=(-dict="$here/$target.dict")
  "$bin" "${options[@]}" "$corpus" >"$log" 2>&1
  rc=$?
  [ $rc -ne 0 ] && problem="exit status $rc"
  if grep -qE "ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|fuzz check failed|ALARM: working on the last Unit" "$log"; then
    problem="${problem:+$problem, }sanitizer, check or timeout report"
  fi
  local execs rate secs units
  execs="$(final_stat number_of_executed_units "$log")"
  rate="$(final_stat average_exec_per_sec "$log")"
  secs="$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)"
  units="$(ls "$corpus" | wc -l)"
  if [ -n "$problem" ]; then
    echo "fuzz $target: FAILED ($problem) after ${execs:-?} execs"
    grep -E -A1 "fuzz check failed" "$log" | head -4
    grep -E "ERROR:|runtime error:|SUMMARY|ALARM|#[0-9]+ +0x" "$log" | head -40
    local artifact
    for artifact in $(grep -o "Test unit written to [^ ]*" "$log" | sed 's/Test unit written to //'); do
      echo "input $artifact ($(stat -c %s "$artifact" 2>/dev/null || echo ?) bytes), first 256 bytes as hex:"
      head -c 256 "$artifact" | od -An -tx1 | head -16
    done
    echo "full log: $build/artifacts/$target.log"
    cp "$log" "$build/artifacts/$target.log"
    rm -rf "$work"
    return 1
  fi
  echo "fuzz $target: ${execs:-?} execs in ${secs:-?} s, ${rate:-?} exec/s, corpus $seeds seeds -> $units units"
  rm -rf "$work"
  return 0
}

case "$mode" in
  build) build_targets; exit $? ;;
  seeds) build_targets && make_seeds; exit $? ;;
  run) build_targets || exit 1 ;;
esac

if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/fuzz_*; do [ -x "$bin" ] && targets+=("${bin##*/fuzz_}"); done
fi
status=0
for target in "${targets[@]}"; do run_target "$target" || status=1; done
exit $status
