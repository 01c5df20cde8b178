#!/usr/bin/env bash
# quillo.exe under Wine: a private session (its own prefix under a temp directory and its own Xvfb display)
# and the runner's case files on it. scripts/demo and scripts/reliability use it too.
#   wine.sh setup POINTER       a session; its directory goes into the file POINTER
#   wine.sh run POINTER WIN-BUILD CASE-FILE ARTIFACTS [LOCALE [SCALE [CASE]]]
#                               the cases of CASE-FILE (all, or CASE) with the programs of WIN-BUILD under
#                               LOCALE (the variables Wine takes its code pages and language from; by default
#                               LC_ALL=ja_JP.UTF-8); the screenshots they ask for are saved in ARTIFACTS
#   wine.sh cleanup POINTER     stops the session's wineserver and Xvfb and removes it all
# Everything started here is stopped by its PID or, for Wine, by `wineserver -k` on this prefix only.

# Environment for every Wine command of the session in $1. No Mono or Gecko installers, and no desktop menu
# entries outside the prefix for the shortcuts the tests make.
wine_session_env() {
  export WINEPREFIX=$1/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ -f "$1/display" ]; then export DISPLAY=":$(cat "$1/display")"; fi
}

# Wine under QUILLO_LOCALE, by default with code pages 932 and a Japanese interface as on the users'
# handhelds. A Wine program's children keep its locale whatever environment it gives them.
session_wine() { env -u LANG -u LC_ALL -u LC_CTYPE -u LC_MESSAGES ${QUILLO_LOCALE:-LC_ALL=ja_JP.UTF-8} wine "$@"; }

# Starts Xvfb on a free display (unless $2 is "own-display") and a fresh prefix in the new directory $1.
# Wine's own processes live on after wineboot; they get a log file, never the caller's output.
wine_session_start() {
  local log=$1/wineboot.log
  mkdir -p "$1"
  if [ "${2:-xvfb}" = xvfb ]; then
    # -displayfd makes Xvfb pick a free display number and tell it.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display.tmp" </dev/null >/dev/null 2>&1 &
    echo $! >"$1/xvfb.pid"
    for _ in $(seq 100); do [ -s "$1/display.tmp" ] && break; sleep 0.1; done
    [ -s "$1/display.tmp" ] || { echo "wine session: Xvfb did not start" >&2; return 1; }
    tr -d '\n' <"$1/display.tmp" >"$1/display"
  fi
  wine_session_env "$1"
  session_wine wineboot -i </dev/null >"$log" 2>&1 || { echo "wine session: wineboot failed" >&2; return 1; }
  # Without a window manager Wine waits about 2 s whenever a window hides unless it manages none itself.
  session_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >>"$log" 2>&1
  session_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >>"$log" 2>&1
  # Keep the server between the case files instead of restarting Wine's services for each.
  wineserver -p </dev/null >>"$log" 2>&1 || true
}

wine_session_stop() {
  [ -d "$1/prefix" ] && { WINEPREFIX=$1/prefix wineserver -k >/dev/null 2>&1 || true; }
  [ -f "$1/xvfb.pid" ] && { kill "$(cat "$1/xvfb.pid")" 2>/dev/null || true; }
  rm -rf "$1"
}

# The Windows path (drive Z:) of a Linux path, with a trailing backslash.
wine_dir() { printf 'Z:%s\\' "$(printf '%s' "$1" | tr '/' '\\')"; }

# The runner's output without Wine's loader notes.
without_wine_notes() {
  grep -v -e '^it looks like wine32' -e multiarch -e 'dpkg --add' -e '^execute ' -e 'Read access denied' "$@" || true
}

# Answers the runner's request $1 about an X window (NAME.xreq: "map XID" or "shot XID") in NAME.xreq-result:
# its map state, or "saved WxH" once its picture, saved as $2/NAME.png, is not one flat colour (a window
# that has just appeared can still be unpainted, so it is taken again meanwhile).
answer_x_request() {
  local png=$2/$(basename "$1" .xreq).png answer="failed" what xid
  read -r what xid <"$1" || true
  rm -f "$1"
  if [ "$what" = map ]; then
    answer=$(xwininfo -id "$xid" 2>/dev/null | sed -n 's/.*Map State: //p' || true)
  else
    for _ in $(seq 30); do
      mkdir -p "$2" && xwd -id "$xid" -silent | convert xwd:- "png:$png" 2>/dev/null || break
      read -r deviation colours size < <(convert "$png" -format '%[fx:standard_deviation] %k %wx%h' info:) || true
      answer="flat: $deviation $colours $size"
      if [ "$deviation" != 0 ] && [ "$colours" -gt 2 ]; then answer="saved $size"; break; fi
      sleep 0.1
    done
  fi
  echo "${answer:-no such window}" >"$1-result.tmp" && mv "$1-result.tmp" "$1-result"
}

# Copies quillo.exe, its test build, the runner and the sample script into the new directory $3 and starts
# the runner there in the background on the case file $2, whose scripts lie beside it, with the words from
# $4 on; its output goes to $3/runner.log.
start_runner() {
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  rm -rf "$3" && mkdir -p "$3"
  cp "$1/quillo.exe" "$1/quillo-test.exe" "$1/quillo-wine-runner.exe" "$3/"
  cp "$here/../../examples/scriptcommand.txt" "$3/sample.txt"  # stored in code page 932 already
  session_wine "$3/quillo-wine-runner.exe" "$(wine_dir "$(dirname "$2")")$(basename "$2")" \
    "$(wine_dir "$(dirname "$2")")" "$(wine_dir "$3")" "${@:4}" </dev/null >"$3/runner.log" 2>&1 &
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  pointer=${2:-}
  case "${1:-}" in
    setup)
      if [ -f "$pointer" ]; then wine_session_stop "$(cat "$pointer")"; fi
      state=$(mktemp -d "${TMPDIR:-/tmp}/quillo-wine.XXXXXX") start=$(date +%s)
      echo "$state" >"$pointer"
      wine_session_start "$state"
      echo "wine session in $state on display :$(cat "$state/display"), ready in $(($(date +%s) - start)) s"
      ;;
    run)
      state=$(cat "$pointer") && wine_session_env "$state"
      work=$state/work/$(basename "$4" .cases)
      export QUILLO_LOCALE=${6:-LC_ALL=ja_JP.UTF-8}
      start_runner "$3" "$4" "$work" "${@:7}"
      runner=$! result=0
      # A run cut short leaves no program of its own behind on the shared session.
      trap 'kill -0 "$runner" 2>/dev/null && wineserver -k' EXIT
      while kill -0 "$runner" 2>/dev/null; do
        for request in "$work"/cases/*/*.xreq; do [ -f "$request" ] && answer_x_request "$request" "$5"; done
        sleep 0.05
      done
      wait "$runner" || result=$?
      without_wine_notes "$work/runner.log"
      exit $result
      ;;
    cleanup)
      [ -f "$pointer" ] && wine_session_stop "$(cat "$pointer")"
      rm -f "$pointer"
      ;;
    *) echo "usage: $0 setup|run|cleanup POINTER ..." >&2 && exit 2 ;;
  esac
fi
