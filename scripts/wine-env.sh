# Sourced by build-windows.sh and wine-run.sh: the Wine environment the Windows programs
# run in. A prefix of its own under build-win/ (made once, about 8 s), a home with a null
# sound device, a virtual display, and a persistent Wine server started and warmed before
# the programs run (otherwise the first one can hang on inherited pipes and every one
# pays the server's start).
ambrel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$ambrel_root/build-win/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="$ambrel_root/build-win/wine-home"
ambrel_xvfb_pid=""

ambrel_wine_start() {
  mkdir -p "$HOME"
  printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"
  if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
    local n
    for n in $(seq 90 120); do
      [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      ambrel_xvfb_pid=$!
      export DISPLAY=":$n"
      break
    done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

ambrel_wine_stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "$ambrel_xvfb_pid" ]; then
    kill "$ambrel_xvfb_pid" 2>/dev/null || true
    wait "$ambrel_xvfb_pid" 2>/dev/null || true
  fi
}
