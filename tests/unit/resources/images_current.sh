#!/usr/bin/env bash
# The committed icons and picture must be what resources/draw_images.py
# draws: a hand edit of a binary, or a script change without regenerating,
# fails here.
set -u
repo=$(cd "$(dirname "$0")/../../.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$repo/resources/draw_images.py" --out "$out" || exit 1
status=0
for f in brelvane.ico ieoe.ico tcpip.ico restart.bmp; do
  if ! cmp -s "$out/$f" "$repo/resources/$f"; then
    echo "resources/$f differs from what draw_images.py draws; run resources/draw_images.py"
    status=1
  fi
done
[ "$status" = 0 ] && echo "icons and picture are as draw_images.py draws them"
exit "$status"
