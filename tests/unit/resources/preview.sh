#!/usr/bin/env bash
# Shows every dialog of brelvane.exe under Wine; preview.exe does the checking
# and leaves a BMP of each dialog in OUTPUT-FOLDER (scripts/screenshots turns
# those of the build into the PNGs under docs/screenshots).
# Usage: preview.sh PREVIEW.EXE BRELVANE.EXE OUTPUT-FOLDER
# Uses $DISPLAY when set; otherwise starts a private Xvfb for the run.
set -u
preview=$1 program=$2 out=$3
repo=$(cd "$(dirname "$0")/../../.." && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  # Xvfb picks a free display number and writes it to fd 6 once it serves.
  # Another Xvfb starting at the same moment may win the same number, so
  # try again when this one did not come up.
  for attempt in 1 2 3; do
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 6 -screen 0 1024x768x24 -nolisten tcp 6>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    number=
    read -r number <"$fifo"
    rm -f "$fifo"
    if [ -n "$number" ] && xdpyinfo -display ":$number" >/dev/null 2>&1; then
      export DISPLAY=:$number
      break
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  done
  if [ -z "${DISPLAY:-}" ]; then
    echo "preview: cannot start Xvfb" >&2
    exit 1
  fi
fi

rm -f "$out"/dialog-*.bmp
# No window manager runs on the display: let Wine draw the frames and
# captions itself, so the pictures show them.
"$repo/scripts/wine-exec" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
# Wine draws the caption buttons with its Marlett font, which it finds only
# in the prefix's Fonts folder here (package fonts-wine).
source "$repo/scripts/wine-env"
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  [ -f "/usr/share/wine/fonts/$font" ] && cp -n "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# Wine's drive Z: is the Unix root.
"$repo/scripts/wine-exec" "$preview" "$program" "Z:${out//\//\\}"
status=$?
[ "$status" = 0 ] || echo "preview: preview.exe ended with $status" >&2
exit "$status"
