#!/usr/bin/env bash
# End-to-end tests of quillo.exe under Wine, one step per call so that ctest can run them as a fixture:
#   e2e.sh setup STATE-POINTER            a temp directory with a fresh prefix and Xvfb; its path goes into
#                                         the file STATE-POINTER
#   e2e.sh case STATE-POINTER WIN-BUILD SCRIPTS CASE
#                                         one case of the driver in a fresh program directory
#   e2e.sh cleanup STATE-POINTER          stops that session's wineserver and Xvfb and removes it all
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_session.sh"

# The case whose program directory is so long that quillo.exe fits into 255 units but
# scriptcommand.txt beside it does not: 240 units with the trailing backslash.
LONG_DIRECTORY_CASE=long-directory
LONG_DIRECTORY_UNITS=240

prepare_program_dir() {
  local dir=$1 win_build=$2 scripts=$3
  mkdir -p "$dir"
  cp "$win_build/quillo.exe" "$dir/"
  local script
  for script in "$scripts"/*.txt; do
    iconv -f UTF-8 -t CP932 "$script" >"$dir/$(basename "$script")"
  done
}

command=${1:-}
pointer=${2:-}
case "$command" in
  setup)
    [ -n "$pointer" ] || { echo "usage: $0 setup STATE-POINTER" >&2; exit 2; }
    if [ -f "$pointer" ]; then wine_session_stop "$(cat "$pointer")"; fi
    state=$(mktemp -d "${TMPDIR:-/tmp}/quillo-e2e.XXXXXX")
    echo "$state" >"$pointer"
    start=$(date +%s)
    wine_session_start "$state"
    echo "wine session in $state on display :$(cat "$state/display"), ready in $(($(date +%s) - start)) s"
    ;;
  case)
    win_build=$3 scripts=$4 name=$5
    state=$(cat "$pointer")
    wine_session_env "$state"
    dir=$state/cases/$name
    rm -rf "$state/cases/$name"
    if [ "$name" = "$LONG_DIRECTORY_CASE" ]; then
      base_units=$(($(printf 'Z:%s/' "$dir" | wc -c) + 1))
      dir=$dir/$(printf 'd%.0s' $(seq $((LONG_DIRECTORY_UNITS - base_units))))
    fi
    prepare_program_dir "$dir" "$win_build" "$scripts"
    cp "$win_build/quillo-e2e-driver.exe" "$state/"
    set +e
    session_wine "$state/quillo-e2e-driver.exe" "$name" "$(wine_dir "$dir")" </dev/null >"$state/$name.log" 2>&1
    result=$?
    set -e
    # Wine's loader notes are not the driver's.
    grep -v -e '^it looks like wine32' -e 'multiarch' -e 'dpkg --add-architecture' -e '^execute ' "$state/$name.log" || true
    exit $result
    ;;
  cleanup)
    [ -f "$pointer" ] && wine_session_stop "$(cat "$pointer")"
    rm -f "$pointer"
    ;;
  *)
    echo "usage: $0 setup|case|cleanup STATE-POINTER ..." >&2
    exit 2
    ;;
esac
