#!/usr/bin/env bash
# Reliability cases of quillo.exe under Wine, one step per call so that ctest can run them as a fixture:
#   reliability.sh setup STATE-POINTER     a private Wine session (tests/e2e/e2e.sh setup)
#   reliability.sh case STATE-POINTER WIN-BUILD SCRIPTS SAMPLE CASE SIZE
#                                          one case of quillo-reliability-driver.exe in a fresh program
#                                          directory holding quillo.exe, the test scripts and the sample
#                                          script (as sample.txt)
#   reliability.sh cleanup STATE-POINTER   stops that session and removes it
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
e2e=$here/../e2e
. "$e2e/wine_session.sh"

command=${1:-}
case "$command" in
  setup | cleanup)
    exec "$e2e/e2e.sh" "$@"
    ;;
  case)
    pointer=$2 win_build=$3 scripts=$4 sample=$5 name=$6 size=$7
    state=$(cat "$pointer")
    wine_session_env "$state"
    dir=$state/reliability/$name
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$win_build/quillo.exe" "$win_build/quillo-reliability-driver.exe" "$dir/"
    for script in "$scripts"/*.txt; do
      iconv -f UTF-8 -t CP932 "$script" >"$dir/$(basename "$script")"
    done
    # The sample script is stored in the device's code page already.
    cp "$sample" "$dir/sample.txt"
    set +e
    session_wine "$dir/quillo-reliability-driver.exe" "$name" "$(wine_dir "$dir")" "$size" </dev/null >"$dir/driver.log" 2>&1
    result=$?
    set -e
    grep -v -e '^it looks like wine32' -e 'multiarch' -e 'dpkg --add-architecture' -e '^execute ' "$dir/driver.log" || true
    exit $result
    ;;
  *)
    echo "usage: $0 setup|case|cleanup STATE-POINTER ..." >&2
    exit 2
    ;;
esac
