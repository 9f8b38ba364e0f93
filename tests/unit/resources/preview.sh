#!/usr/bin/env bash
# Shows every dialog of brelvane.exe under Wine (preview.exe does the
# checking) and turns the pictures it saves into PNGs.
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
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 6 -screen 0 1024x768x24 -nolisten tcp 6>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=:$number
fi

rm -f "$out"/*.bmp
# No window manager runs on the display: let Wine draw the frames and
# captions itself, so the pictures show them.
"$repo/scripts/wine-exec" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
# Captions: the Japanese system font, and Wine's Marlett for the caption
# buttons (Wine finds its own fonts only in the prefix's Fonts folder here).
"$repo/scripts/wine-exec" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'MS UI Gothic' /d 'IPAPGothic' /f >/dev/null 2>&1
source "$repo/scripts/wine-env"
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  [ -f "/usr/share/wine/fonts/$font" ] && cp -n "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# Wine's drive Z: is the Unix root.
"$repo/scripts/wine-exec" "$preview" "$program" "Z:${out//\//\\}"
status=$?
for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
exit $status
