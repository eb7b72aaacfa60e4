#!/usr/bin/env bash
# Takes docs/screenshot-windows.png: the Win32 program under Wine with the Chinese locale, in a
# virtual X server.
set -eu
cd "$(dirname "$0")/.."
program=${1:-build/windows/orvane.exe}
out=${2:-docs/screenshot-windows.png}
mkdir -p "$(dirname "$out")"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/orvane-wine-$(id -u)}
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  set -eu
  wine "$1" & pid=$!
  for _ in $(seq 150); do
    wid=$(xdotool search --name "^OrvaneV1\.0" 2>/dev/null | head -n 1) && [ -n "$wid" ] && break
    sleep 0.2
  done
  sleep 2
  import -window "$wid" "$2"
  wineserver -k || true
' shot "$program" "$out"
echo "wrote $out"
