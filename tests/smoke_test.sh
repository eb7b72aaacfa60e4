#!/usr/bin/env bash
# Starts the real program under a real X server, waits for its window, sends Esc and expects the
# program to end with exit code 0.
set -u
program=$1
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing"; exit 1; }
inner=$(cat <<'INNER'
set -u
"$1" & pid=$!
for _ in $(seq 100); do
  wid=$(xdotool search --name '^OrvaneV1\.0' 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  sleep 0.1
done
if [ -z "$wid" ]; then echo "no window appeared"; kill $pid; exit 1; fi
sleep 0.3
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key --window "$wid" Escape
for _ in $(seq 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then echo "Esc did not end the program"; kill $pid; exit 1; fi
wait $pid; code=$?
echo "exit code $code"
exit $code
INNER
)
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$inner" smoke "$program"
