#!/usr/bin/env bash
# End-to-end tests of quillo.exe under Wine, one step per call so that ctest can run them as a fixture:
#   e2e.sh setup STATE-POINTER            a temp directory with a fresh prefix and Xvfb; its path goes into
#                                         the file STATE-POINTER
#   e2e.sh case STATE-POINTER WIN-BUILD SCRIPTS CASE [ARTIFACTS]
#                                         one case of the driver in a fresh program directory; the
#                                         screenshots it asks for are saved in ARTIFACTS
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

# The driver asks for a screenshot by leaving NAME.shot ("WxH+X+Y", the window's rectangle) in its
# program directory. The X window of that rectangle is saved as ARTIFACTS/NAME.png and the answer goes
# to NAME.shot-result: "DEVIATION COLOURS WxH" of the picture, or "failed: ...".
# (The window is taken by its own contents: with no window manager, the root window's picture of a
# dialog that Wine has shown can stay black where the dialog's own contents are complete.)
take_screenshot() {
  local request=$1 artifacts=$2 name geometry png answer try window
  name=$(basename "$request" .shot)
  geometry=$(tr -d '\r\n' <"$request")
  rm -f "$request"
  png=$artifacts/$name.png
  window=$(xwininfo -root -children | awk -v g="$geometry" '{ for (i = 2; i <= NF; i++) if ($i == g) { print $1; exit } }')
  if [ -z "$artifacts" ]; then
    answer="failed: no artifacts directory given"
  elif [ -z "$window" ]; then
    answer="failed: no X window at $geometry"
  elif mkdir -p "$artifacts"; then
    # A window that has just appeared can still be unpainted: take it again while it is one flat colour.
    for try in $(seq 30); do
      if ! xwd -id "$window" -silent | convert xwd:- "png:$png" 2>/dev/null; then
        answer="failed: xwd or convert"
        break
      fi
      answer=$(convert "$png" -format '%[fx:standard_deviation] %k %wx%h' info: 2>&1) || answer="failed: $answer"
      case "$answer" in 0\ *) sleep 0.1 ;; *) break ;; esac
    done
  fi
  echo "$answer" >"$request-result.tmp"
  mv "$request-result.tmp" "$request-result"
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
    win_build=$3 scripts=$4 name=$5 artifacts=${6:-}
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
    session_wine "$state/quillo-e2e-driver.exe" "$name" "$(wine_dir "$dir")" </dev/null >"$state/$name.log" 2>&1 &
    driver=$!
    while kill -0 "$driver" 2>/dev/null; do
      for request in "$dir"/*.shot; do
        if [ -f "$request" ]; then take_screenshot "$request" "$artifacts"; fi
      done
      sleep 0.05
    done
    set +e
    wait "$driver"
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
