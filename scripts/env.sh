# Sourced by scripts/test and scripts/run: the build folder, the Wine prefix and the display.
# Sets ROOT, BUILD, CACHE, WINEPREFIX and friends; defines yoz_build, yoz_prefix, yoz_start_display,
# yoz_start_wineserver and yoz_stop.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${YOZ_BUILD:-$ROOT/build}
if [ -n "${HOME:-}" ]; then CACHE="${YOZ_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/yoz-deps}"
else CACHE="${YOZ_CACHE:-/var/cache/yoz-deps}"; fi
export YOZ_CACHE=$CACHE
export USER=${USER:-${LOGNAME:-yozuser}}
export WINEPREFIX=${WINEPREFIX_OVERRIDE:-$BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
YOZ_STARTED_PIDS=()

yoz_build() {
  if [ ! -f "$CACHE/deps.cmake" ] || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null \
     || ! command -v wine >/dev/null || ! command -v Xvfb >/dev/null; then
    "$ROOT/scripts/setup"
  fi
  local gen=()
  [ -f "$BUILD/CMakeCache.txt" ] || gen=(-G Ninja)
  cmake -S "$ROOT" -B "$BUILD" "${gen[@]}" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DYOZ_DEPS="$CACHE/deps.cmake" >/dev/null
  # YOZ_TARGETS (space-separated) builds only those targets, e.g. while one folder is being worked on.
  local t=()
  [ -n "${YOZ_TARGETS:-}" ] && t=(--target ${YOZ_TARGETS})
  cmake --build "$BUILD" -j"$(nproc)" "${t[@]}"
}

# A prefix of our own: no drive mapped to the host root, the profile folders inside the build folder,
# T: mapped to the build folder so the test programs can be started from there, and a Wine virtual
# desktop: without a window manager, Wine waits 2 s for every shown top-level window to be withdrawn
# when it is destroyed; inside a virtual desktop it does not, and activation and the work area behave
# as on Windows.
YOZ_PREFIX_VERSION=3
yoz_prefix() {
  local ready="$WINEPREFIX/.yoz-ready"
  [ -f "$ready" ] && [ "$(cat "$ready")" = "$YOZ_PREFIX_VERSION" ] && return 0
  if [ ! -f "$ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$BUILD/home"
    HOME="$BUILD/home" wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    rm -f "$WINEPREFIX/dosdevices/z:"
    ln -sfn "$BUILD" "$WINEPREFIX/dosdevices/t:"
  fi
  # Wine's own fonts (Marlett for the caption buttons, Tahoma, Microsoft Sans Serif) are not on the
  # font path of a Debian Wine: the prefix gets copies.
  local f
  for f in /usr/share/wine/fonts/*.ttf; do
    [ -e "$f" ] && cp -f "$f" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  wineserver -w || true
  echo "$YOZ_PREFIX_VERSION" > "$ready"
}

yoz_start_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${YOZ_OWN_DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  # Xvfb takes a free display number itself and writes it once it listens: two runs started at the same
  # moment never share a display (their clicks and keys would meet on one screen).
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  local pid=$! i
  YOZ_STARTED_PIDS+=($pid)
  for i in $(seq 600); do
    if grep -q '^[0-9]' "$number" 2>/dev/null; then
      export DISPLAY=":$(head -1 "$number")"
      rm -f "$number"
      xdpyinfo >/dev/null 2>&1 && return 0
      break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number"
  echo "could not start Xvfb" >&2; return 1
}

yoz_start_wineserver() {
  # A server left running for this prefix would keep its desktop on another display.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true   # warm up the prefix's services
}

yoz_stop() {
  wineserver -k 2>/dev/null || true
  local p
  for p in "${YOZ_STARTED_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
}
