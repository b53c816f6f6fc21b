# A private X display and a persistent wineserver for the win32 tree's tests.
# Sourced; start_wine_session PREFIX sets DISPLAY and WINEPREFIX, stop_wine_session ends both.

_xvfb_pid=

start_wine_session() {
  export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all
  # Xvfb picks a free display itself and tells its number through the file descriptor.
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$fifo" </dev/null >/dev/null 2>&1 &
  _xvfb_pid=$!
  local display
  read -r -t 20 display <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$display" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$display
  # Wine's background services inherit open descriptors; detached from ours, nothing waits on them.
  mkdir -p "$WINEPREFIX"
  # A server left over for this prefix would keep its desktop on another display.
  wineserver -k </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot -i </dev/null >/dev/null 2>&1
  # One virtual desktop for all test windows: Wine draws their frames as on Windows, and
  # showing a window does not wait on an X window manager that is not there. The desktop
  # reads the setting when it starts, so a new prefix starts its server once more.
  if ! grep -q '"Desktop"="Default"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f </dev/null >/dev/null 2>&1
    wineserver -k </dev/null >/dev/null 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot </dev/null >/dev/null 2>&1
  fi
}

stop_wine_session() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k </dev/null >/dev/null 2>&1
  if [ -n "$_xvfb_pid" ]; then
    kill "$_xvfb_pid" 2>/dev/null
    wait "$_xvfb_pid" 2>/dev/null
    _xvfb_pid=
  fi
  return 0
}
