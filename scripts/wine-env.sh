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
    wine_env_start_xvfb || return 1
    echo "wine-env: virtual display $DISPLAY (Xvfb)"
  fi
  wine_env_start_server
}

# Two targets' test runs start their displays at the same moment: the choice of a free number
# and Xvfb's claim on it happen under one lock, and a server that died anyway (a display taken
# by someone who left no lock file) moves on to the next number.
wine_env_start_xvfb() {
  local n=90 tries=0
  exec {wine_env_lock_fd}>"/tmp/.velmo-xvfb-$(id -u).lock"
  flock "$wine_env_lock_fd"
  while :; do
    tries=$((tries + 1))
    if [ "$tries" -gt 10 ]; then
      echo "wine-env: Xvfb did not start (tried 10 display numbers up to :$n)" >&2
      exec {wine_env_lock_fd}>&-
      return 1
    fi
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    # Not with the lock open: Xvfb would hold it for as long as it runs.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 {wine_env_lock_fd}>&- &
    wine_env_xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$wine_env_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$wine_env_xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then break; fi
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
    n=$((n + 1))
  done
  exec {wine_env_lock_fd}>&-
  export DISPLAY=":$n"
}

# The prefix's own wineserver (one per prefix), then the prefix itself if it is new.
wine_env_start_server() {
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
