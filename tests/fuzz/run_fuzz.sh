#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan + UBSan) and runs each for a bounded time;
# any crash, leak, sanitizer report, broken check or slow input fails. New inputs go to a scratch
# folder (or DIR/<target> with --keep-corpus); the repository's seeds are only read.
#   run_fuzz.sh [--build-dir DIR] [--seconds N] [--keep-corpus DIR] [--build-only | --no-build] [target ...]
# A failing input is kept as DIR/artifacts/<target>-crash-* (or leak-, timeout-); rerun it with
#   DIR/fuzz_<target> FILE
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/../../build/fuzz-clang" seconds=5 mode=run kept="" targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --keep-corpus) kept="$2"; shift 2 ;;
    --build-only | --no-build) mode="$1"; shift ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ "$mode" != --no-build ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$(command -v clang++ || command -v clang++-14)" >/dev/null &&
    cmake --build "$build" -j2 || exit 1
  [ "$mode" = --build-only ] && exit 0
fi
[ ${#targets[@]} -gt 0 ] || for bin in "$build"/fuzz_*; do targets+=("${bin##*/fuzz_}"); done
status=0
for target in "${targets[@]}"; do
  work="$(mktemp -d)" corpus="${kept:+$kept/$target}" dict=()
  [ -f "$here/$target.dict" ] && dict=(-dict="$here/$target.dict")
  mkdir -p "${corpus:=$work/corpus}" "$build/artifacts"
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 "${dict[@]}" -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$target-" "$corpus" "$here/corpus/$target" >"$work/log" 2>&1; then
    echo "fuzz $target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log") execs in $seconds s"
  else
    echo "fuzz $target: FAILED"; status=1
    grep -E -A2 "fuzz check failed|ERROR:|runtime error:|SUMMARY|ALARM|Test unit written" "$work/log" | head -40
  fi
  rm -rf "$work"
done
exit $status
