# A private Wine session: its own prefix under a temp directory and its own Xvfb display.
# Sourced by the end-to-end tests and scripts/demo. Everything started here is stopped by its PID or,
# for Wine, by `wineserver -k` on this prefix only.

# Environment for every Wine command of the session in $1.
wine_session_env() {
  local state=$1
  export WINEPREFIX=$state/prefix
  export WINEDEBUG=-all
  # No Mono/Gecko installers, and no desktop menu entries outside the prefix for the shortcuts we make.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ -f "$state/display" ]; then export DISPLAY=":$(cat "$state/display")"; fi
}

# Runs Wine with OEM and ANSI code page 932, as on the users' Japanese devices. (Through env: the shell
# itself has no such locale and would complain if it were set here.)
session_wine() {
  env LC_ALL=ja_JP.UTF-8 wine "$@"
}

# Starts Xvfb on a free display (unless $2 is "own-display") and a fresh prefix in the new directory $1.
wine_session_start() {
  local state=$1 display_mode=${2:-xvfb}
  mkdir -p "$state"
  if [ "$display_mode" = xvfb ]; then
    # -displayfd makes Xvfb pick a free display number and tell it.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display.tmp" </dev/null >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    local i
    for i in $(seq 100); do
      [ -s "$state/display.tmp" ] && break
      sleep 0.1
    done
    [ -s "$state/display.tmp" ] || { echo "wine session: Xvfb did not start" >&2; return 1; }
    tr -d '\n' <"$state/display.tmp" >"$state/display"
  fi
  wine_session_env "$state"
  # Wine's own processes live on after wineboot; they get a log file, never the caller's output.
  session_wine wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || { echo "wine session: wineboot failed" >&2; return 1; }
  # Without a window manager Wine waits about 2 s whenever a window hides unless it manages none itself.
  session_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >>"$state/wineboot.log" 2>&1
  session_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >>"$state/wineboot.log" 2>&1
  # Keep the server between the cases instead of restarting Wine's services for each.
  wineserver -p </dev/null >>"$state/wineboot.log" 2>&1 || true
}

wine_session_stop() {
  local state=$1
  [ -d "$state" ] || return 0
  if [ -d "$state/prefix" ]; then
    WINEPREFIX=$state/prefix wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  fi
  rm -rf "$state"
}

# The Windows path (drive Z:) of a Linux path, with a trailing backslash.
wine_dir() {
  printf 'Z:%s\\' "$(printf '%s' "$1" | tr '/' '\\')"
}
