#!/usr/bin/env bash
# Takes docs/screenshot-linux.png: the real window under Xvfb, after choosing a small sample
# folder in the folder chooser and extracting its file names.
set -eu
cd "$(dirname "$0")/.."
program=${1:-build/default/orvane}
out=${2:-docs/screenshot-linux.png}
sample=/tmp/orvane-demo/下载
rm -rf /tmp/orvane-demo
trap 'rm -rf /tmp/orvane-demo' EXIT
mkdir -p "$sample/照片/2024" "$sample/文档" "$sample/music"
for f in 照片/2024/海边.JPG 照片/2024/生日.jpg 文档/报告.docx 文档/预算.xlsx music/song.mp3 README notes.txt archive.tar.gz; do
  echo sample > "$sample/$f"
done
mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  set -eu
  "$1" & pid=$!
  for _ in $(seq 100); do
    wid=$(xdotool search --name "^OrvaneV1\.0" 2>/dev/null | head -n 1) && [ -n "$wid" ] && break
    sleep 0.1
  done
  sleep 0.5
  # Choose the sample folder: the chooser opens with its file-name field focused.
  xdotool mousemove 168 109 click 1  # 选择原始目录: the window stands at (120,81)
  sleep 1
  xdotool type --delay 5 "$2"
  xdotool key Return
  sleep 1
  xdotool mousemove 170 391 click 1  # 提取文件名
  sleep 0.5
  import -window root -crop 560x437+120+81 +repage "$3"
  kill $pid
' shot "$program" "$sample" "$out"
echo "wrote $out"
