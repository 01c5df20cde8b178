#!/usr/bin/env bash
# Builds the fuzz target with clang (libFuzzer, ASan + UBSan) and runs it for a bounded time; any
# crash, leak, sanitizer report, broken check or slow input fails. New inputs go to a scratch folder
# (or DIR with --keep-corpus); the repository's seeds in corpus/ are only read.
#   run_fuzz.sh [--build-dir BUILD] [--seconds N] [--keep-corpus DIR]
# A failing input is kept as BUILD/artifacts/crash-* (or leak-, timeout-); rerun it with
#   BUILD/fuzz_engine FILE
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/../../build/fuzz-clang" seconds=5 corpus=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --keep-corpus) corpus="$2"; shift 2 ;;
    *) shift ;;  # a target's name: there is only the one
  esac
done
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$(command -v clang++ || command -v clang++-14)" >/dev/null &&
  cmake --build "$build" -j2 || exit 1
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "${corpus:=$scratch/corpus}" "$build/artifacts"
"$build/fuzz_engine" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$corpus" "$here/corpus" >"$scratch/log" 2>&1
status=$?
grep -E -A2 "fuzz check failed|ERROR:|runtime error:|SUMMARY|ALARM|Test unit written|executed_units" "$scratch/log" | head -40
exit $status
