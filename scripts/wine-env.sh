# Sourced by run.sh and test.sh: a private Wine prefix, one persistent wineserver, and an X
# display (a virtual one when there is none or when asked to). `wine_env_stop` ends all of it.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
wine_env_xvfb_pid=

# Can this machine run 32-bit programs? Some virtual machines have no 32-bit user mode.
wine_env_can_run_i686() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

wine_env_start() {  # wine_env_start [virtual]
  trap wine_env_stop EXIT
  trap 'wine_env_stop; exit 130' INT TERM
  if [ "${1:-}" = virtual ] || [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    wine_env_xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    echo "wine-env: virtual display $DISPLAY (Xvfb)"
  fi
  mkdir -p "$WINEPREFIX"
  # One server for the whole run, started before anything else can start one of its own.
  /usr/lib/wine/wineserver64 -p
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-env: creating the Wine prefix $WINEPREFIX (once, about 30 s)"
    WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null || true
    # There is no window manager on a virtual display: unmanaged windows spare every hide a
    # two-second wait for one.
    WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' \
      /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null || true
  fi
  # Start Wine's own background processes (services, explorer with the tray) now, detached
  # from our output, so they do not hold the pipes of the first test program open.
  WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null || true
}

wine_env_stop() {
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver64 -w >/dev/null 2>&1 || true
  if [ -n "$wine_env_xvfb_pid" ]; then
    kill "$wine_env_xvfb_pid" >/dev/null 2>&1 || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
    wine_env_xvfb_pid=
  fi
}
