#!/usr/bin/env bash
# Orvane against the command-line tools on generated trees, all in one invocation: every step is
# repeated, Orvane and its baseline taking turns, and the minimum and median of each are printed
# with their ratios, then written to docs/benchmarks.md.
#
#   bash bench/run.sh [N]   N files (100000 by default) for the scan, copy and move runs, plus a
#                           scan-only tree of 1,000,000 files for the scan and the list memory
#   bash bench/run.sh --ci  1,000 files, 3 repetitions, no 1,000,000 tree: a few seconds; writes
#                           BUILD/benchmarks-ci.md and leaves the docs alone
#
#   bash bench/run.sh 1000000   everything at 1,000,000 files (about 4 GiB of scratch, long)
#
# Options: --reps R (5 by default, 3 for the move from tmpfs), --no-1m (skip the 1,000,000-file
# tree), --build DIR (build/bench by default; configured and built first unless --no-build),
# --out FILE, --tmp DIR (scratch on the disk: $TMPDIR or /tmp), --shm DIR (scratch on a second
# file system: /dev/shm), --seed S.
# No figure is checked: the targets are printed beside the ratios, nothing fails on them.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
files=100000
scan_big=1000000
reps=5
move_reps=5
cross_reps=3
build="$repo/build/bench"
build_first=1
out=""
ci=0
tmp_parent=${TMPDIR:-/tmp}
shm_parent=/dev/shm
big_count=4
big_mib=64
seed=1
memory_runs=3

usage() {
  sed -n '2,17p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
  exit 2
}

while (($#)); do
  case $1 in
    --ci) ci=1 files=1000 scan_big=0 reps=3 move_reps=3 cross_reps=3 big_count=1 memory_runs=1 ;;
    --reps) reps=$2 move_reps=$2 cross_reps=$2; shift ;;
    --no-1m) scan_big=0 ;;
    --build) build=$(realpath -m "$2"); shift ;;
    --no-build) build_first=0 ;;
    --out) out=$(realpath -m "$2"); shift ;;
    --tmp) tmp_parent=$2; shift ;;
    --shm) shm_parent=$2; shift ;;
    --seed) seed=$2; shift ;;
    -h | --help) usage ;;
    [0-9]*) files=$1 ;;
    *) echo "run.sh: unknown argument $1" >&2; usage ;;
  esac
  shift
done
((files >= scan_big)) && scan_big=0  # the main tree is big enough for the scan and the memory
if [[ -z $out ]]; then
  if ((ci)); then out="$build/benchmarks-ci.md"; else out="$repo/docs/benchmarks.md"; fi
fi

if ((build_first)); then
  [[ -f $build/CMakeCache.txt ]] ||
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build "$build" --target orvane_bench_tree orvane_bench_window > /dev/null
fi
generator="$build/bench/orvane_bench_tree"
window="$build/bench/orvane_bench_window"
for program in "$generator" "$window"; do
  [[ -x $program ]] || { echo "run.sh: $program is missing; build it first" >&2; exit 1; }
done

scratch=$(mktemp -d "$tmp_parent/orvane-bench.XXXXXX")
shm=$(mktemp -d "$shm_parent/orvane-bench.XXXXXX")
trap 'rm -rf "$scratch" "$shm"' EXIT
results="$scratch/results.tsv"
log="$scratch/window.log"
: > "$results"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
started=$EPOCHREALTIME
load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)

note() { printf '[%5.0fs] %s\n' "$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN{print b-a}')" "$*" >&2; }

# --- Measuring --------------------------------------------------------------------------------

record() { printf '%s\t%s\n' "$1" "$2" >> "$results"; }

# timed ID COMMAND...: the wall time of the command, its start included.
timed() {
  local id=$1 t0 t1
  shift
  t0=$EPOCHREALTIME
  "$@"
  t1=$EPOCHREALTIME
  record "$id" "$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.6f", b-a}')"
}

# orvane ID MODE ARGS...: the window program times its own step (the Qt start is not in it).
orvane() {
  local id=$1 line
  shift
  if ! line=$("$window" "$@" 2>> "$log"); then
    echo "run.sh: orvane_bench_window $* failed:" >&2
    tail -5 "$log" >&2
    exit 1
  fi
  printf '%s: %s\n' "$id" "$line" >> "$log"
  if [[ $line == *seconds=* ]]; then
    line=${line#*seconds=}
    record "$id" "${line%% *}"
  else
    LAST_LINE=$line
  fi
}

# interleave REPS STEP...: runs the steps REPS times, each repetition starting one step later.
interleave() {
  local reps=$1 r i n
  shift
  n=$#
  local steps=("$@")
  for ((r = 0; r < reps; r++)); do
    note "  repetition $((r + 1))/$reps"
    for ((i = 0; i < n; i++)); do "${steps[(r + i) % n]}"; done
  done
}

# --- The work -----------------------------------------------------------------------------------

# The groups of a tree: for each folder of the destination, its name and the list of its files.
load_groups() {
  group_dirs=() group_lists=()
  local g
  for g in "$1"/*.lst; do
    group_dirs+=("$(< "${g%.lst}.dir")")
    group_lists+=("$g")
  done
}

# batched TOOL TREE DEST: the files of each group by one `xargs -0 TOOL -t FOLDER`, after one
# mkdir of all the folders.
batched() {
  local tool=$1 tree=$2 dest=$3 i targets=()
  for i in "${!group_dirs[@]}"; do targets+=("$dest${group_dirs[i]:+/${group_dirs[i]}}"); done
  (
    cd "$tree"
    mkdir -p -- "${targets[@]}"
    for i in "${!group_lists[@]}"; do xargs -0 "$tool" -t "${targets[i]}" < "${group_lists[i]}"; done
  )
}

find_files() { find "$1" -type f > /dev/null; }
fresh() { rm -rf "$1" && mkdir "$1"; }
# Nothing the previous step left dirty is written back during the next one (skipped by --ci,
# where a flush of what the build before it left could take longer than the whole run).
settle_disk() { ((ci)) || sync -f "$scratch"; }
digest() { (cd "$1" && find . -type f -printf '%P\t%s\n' | LC_ALL=C sort | md5sum | cut -d' ' -f1); }

check_same() {  # WHAT DEST: the destination holds what Orvane's copy made
  local got
  got=$(digest "$2")
  if [[ $got != "$reference" ]]; then
    echo "run.sh: $1 left other files than Orvane's copy run ($got, not $reference)" >&2
    exit 1
  fi
}
check_emptied() {
  if [[ -n $(find "$1" -type f -print -quit) ]]; then
    echo "run.sh: files are left in $1 after the move" >&2
    exit 1
  fi
}

generate() {  # ROOT GROUPS ARGS...: writes a tree and keeps its summary in tree_ROOTNAME
  local root=$1 groups=$2
  shift 2
  local summary
  summary=$("$generator" --root "$root" --seed "$seed" ${groups:+--groups "$groups"} "$@")
  printf '%s\n' "$summary" > "$root.summary"
}
summary_of() { sed -n "s/^$2=//p" "$1.summary"; }

tree="$scratch/tree"
big="$scratch/big"
dest_o="$scratch/dest-orvane"
dest_b="$scratch/dest-tool"

note "writing $files files into $tree"
generate "$tree" "$scratch/groups" --files "$files"
note "writing $big_count files of $big_mib MiB into $big"
generate "$big" "$scratch/big-groups" --big "$big_count" --big-mib "$big_mib"

# Scan -------------------------------------------------------------------------------------------
scan_section() {  # ID TREE REPS
  scan_id=$1 scan_tree=$2
  scan_orvane() { orvane "$scan_id.orvane" scan "$scan_tree"; }
  scan_find() { timed "$scan_id.find" find_files "$scan_tree"; }
  find_files "$scan_tree"
  orvane warm scan "$scan_tree"
  interleave "$3" scan_orvane scan_find
}
note "scan, $files files"
scan_section "scan.main" "$tree" "$reps"

# Copy -------------------------------------------------------------------------------------------
load_groups "$scratch/groups"
copy_orvane() {
  fresh "$dest_o"
  settle_disk
  orvane copy.orvane copy "$tree" "$dest_o"
}
copy_cp() {
  fresh "$dest_b"
  settle_disk
  timed copy.cp batched cp "$tree" "$dest_b"
}
note "copy run, $files files"
interleave "$reps" copy_orvane copy_cp
reference=$(digest "$dest_o")
check_same "the batched cp" "$dest_b"
rm -rf "$dest_o" "$dest_b"

# Large files ------------------------------------------------------------------------------------
load_groups "$scratch/big-groups"
big_orvane() {
  fresh "$dest_o"
  settle_disk
  orvane big.orvane copy "$big" "$dest_o"
}
big_cp() {
  fresh "$dest_b"
  settle_disk
  timed big.cp batched cp "$big" "$dest_b"
}
note "copy run, $big_count files of $big_mib MiB"
interleave "$reps" big_orvane big_cp
[[ $(digest "$dest_o") == "$(digest "$dest_b")" ]] || { echo "run.sh: large copies differ" >&2; exit 1; }
rm -rf "$dest_o" "$dest_b"

# Moves ------------------------------------------------------------------------------------------
load_groups "$scratch/groups"
declare -A move_checked=()
move_step() {  # ID WORK COMMAND...: a fresh copy of the tree in WORK, then the timed move
  local id=$1 work=$2 dest t0 t1 t2
  shift 2
  rm -rf "$work"
  cp -a "$tree" "$work"
  if [[ $id == *.orvane ]]; then dest=$dest_o; else dest=$dest_b; fi
  fresh "$dest"
  settle_disk
  if [[ $1 == orvane ]]; then
    orvane "$id" move "$work" "$dest"
  else
    t0=$EPOCHREALTIME
    "$@" "$work" "$dest"
    t1=$EPOCHREALTIME
    record "$id" "$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.6f", b-a}')"
    if [[ $id == cross.mv ]]; then
      # What the move leaves unwritten, flushed as Orvane flushes before it removes a source.
      sync -f "$dest"
      t2=$EPOCHREALTIME
      record cross.mvsync "$(awk -v a="$t0" -v b="$t2" 'BEGIN{printf "%.6f", b-a}')"
    fi
  fi
  if [[ -z ${move_checked[$id]:-} ]]; then
    check_emptied "$work"
    check_same "$id" "$dest"
    move_checked[$id]=1
  fi
  rm -rf "$work"
}
same_orvane() { move_step move.orvane "$scratch/work" orvane; }
same_mv() { move_step move.mv "$scratch/work" batched mv; }
note "move run on one file system, $files files"
interleave "$move_reps" same_orvane same_mv

cross_orvane() { move_step cross.orvane "$shm/work" orvane; }
cross_mv() { move_step cross.mv "$shm/work" batched mv; }
note "move run from $shm_parent to $tmp_parent, $files files"
interleave "$cross_reps" cross_orvane cross_mv
rm -rf "$dest_o" "$dest_b"

# The scan-only tree and the list memory -----------------------------------------------------------
memory_tree=$tree
if ((scan_big)); then
  memory_tree="$scratch/scan-only"
  note "writing $scan_big empty files into $memory_tree"
  generate "$memory_tree" "" --files "$scan_big" --empty
  note "scan, $scan_big files"
  scan_section "scan.big" "$memory_tree" "$reps"
fi
note "list memory, $(summary_of "$memory_tree" files) files"
for ((m = 0; m < memory_runs; m++)); do
  orvane memory memory "$memory_tree"
  idle=${LAST_LINE#*idle_rss_kib=} idle=${idle%% *}
  peak=${LAST_LINE#*peak_kib=} peak=${peak%% *}
  path_bytes=${LAST_LINE#*path_bytes=} path_bytes=${path_bytes%% *}
  memory_items=${LAST_LINE#*items=} memory_items=${memory_items%% *}
  record memory.orvane "$(((peak - idle) * 1024))"
  record memory.paths "$path_bytes"
done
if ((scan_big)); then
  note "removing $memory_tree"
  rm -rf "$memory_tree"
fi
load_at_end=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Report -------------------------------------------------------------------------------------

# stats ID: "min median count" of the values recorded under ID.
stats() {
  awk -F'\t' -v id="$1" '$1 == id {print $2}' "$results" | sort -g |
    awk '{v[NR] = $1} END {
      if (NR == 0) { print "nan nan 0"; exit }
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.6f %.6f %d\n", v[1], m, NR }'
}
calc() { awk "BEGIN { printf \"$1\", $2 }"; }

rows=()
summary_lines=()
# row LABEL ORVANE_ID BASE_LABEL BASE_ID TARGET_OP TARGET [KIND [BYTES]]
# KIND: time (seconds; ratio Orvane/baseline), rate (MB/s of BYTES; ratio Orvane/baseline),
# memory (MiB; ratio Orvane/baseline).
row() {
  local label=$1 oid=$2 blabel=$3 bid=$4 op=$5 target=$6 kind=${7:-time} bytes=${8:-0}
  local omin omed n bmin bmed m ofmt rmin rmed met
  read -r omin omed n < <(stats "$oid")
  read -r bmin bmed m < <(stats "$bid")
  case $kind in
    time)
      ofmt=(
        "$(calc %.3f "$omin")" "$(calc %.3f "$omed")" "$(calc %.3f "$bmin")" "$(calc %.3f "$bmed")")
      rmin=$(calc %.2f "$omin / $bmin") rmed=$(calc %.2f "$omed / $bmed") ;;
    rate)
      # The fastest run is the minimum time; MB/s is 10^6 bytes per second.
      ofmt=("$(calc %.0f "$bytes / $omin / 1e6")" "$(calc %.0f "$bytes / $omed / 1e6")"
        "$(calc %.0f "$bytes / $bmin / 1e6")" "$(calc %.0f "$bytes / $bmed / 1e6")")
      rmin=$(calc %.2f "$bmin / $omin") rmed=$(calc %.2f "$bmed / $omed") ;;
    memory)
      ofmt=("$(calc %.1f "$omin / 1048576")" "$(calc %.1f "$omed / 1048576")"
        "$(calc %.1f "$bmin / 1048576")" "$(calc %.1f "$bmed / 1048576")")
      rmin=$(calc %.2f "$omin / $bmin") rmed=$(calc %.2f "$omed / $bmed") ;;
  esac
  met=$(awk -v r="$rmed" -v t="$target" -v op="$op" 'BEGIN {
    if (op != "<=" && op != ">=") print "—"; else print ((op == "<=" ? r <= t : r >= t) ? "met" : "missed") }')
  if [[ $met == "—" ]]; then op="" target="—"; fi
  rows+=("| $label | ${ofmt[0]} | ${ofmt[1]} | $blabel | ${ofmt[2]} | ${ofmt[3]} | $rmin | **$rmed** | $op $target | $met | $n+$m |")
  local verdict="$op $target: $met"
  [[ -n $op ]] || verdict="no target"
  summary_lines+=("$(printf '%-40s Orvane %8s / %-8s  %-32s %8s / %-8s  ratio %s / %s  (%s)' \
    "$label" "${ofmt[0]}" "${ofmt[1]}" "$blabel" "${ofmt[2]}" "${ofmt[3]}" "$rmin" "$rmed" "$verdict")")
}

big_bytes=$(summary_of "$big" data_bytes)
row "scan, $files files (s)" scan.main.orvane '`find -type f`' scan.main.find "<=" 1.25
if ((scan_big)); then
  row "scan, $scan_big files (s)" scan.big.orvane '`find -type f`' scan.big.find "<=" 1.25
fi
row "copy run, $files files (s)" copy.orvane 'batched `cp -t`' copy.cp "<=" 1.1
row "copy run, $big_count × $big_mib MiB (MB/s)" big.orvane '`cp -t`' big.cp ">=" 0.9 rate "$big_bytes"
row "move run, one file system (s)" move.orvane 'batched `mv -t`' move.mv "<=" 1.1
row "move run, tmpfs to disk (s)" cross.orvane 'batched `mv -t`' cross.mv "<=" 1.5
row "move run, tmpfs to disk (s)" cross.orvane 'batched `mv -t`, then `sync -f`' cross.mvsync "" ""
row "list memory, $memory_items items (MiB)" memory.orvane 'bytes of the paths' memory.paths "<=" 1.5 memory

echo
echo "Orvane min / median against the baseline's min / median (ratio: min / median)"
printf '%s\n' "${summary_lines[@]}"

# --- docs ---------------------------------------------------------------------------------------

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
mem_gib=$(awk '/MemTotal/ {printf "%.0f", $2 / 1048576}' /proc/meminfo)
fs_of() { findmnt -no FSTYPE,SOURCE,OPTIONS -T "$1" | head -1 | awk '{printf "%s (%s, %s)", $1, $2, $3}'; }
fs_tmp=$(fs_of "$scratch")
fs_shm=$(fs_of "$shm")
commit=$(git -C "$repo" rev-parse --short HEAD 2> /dev/null || echo unknown)
git -C "$repo" diff --quiet HEAD -- platform sorting window 2> /dev/null || commit="$commit with local changes"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt" 2> /dev/null)
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:FILEPATH=//p' "$build/CMakeCache.txt" 2> /dev/null)
qt_version=$(dpkg-query -W -f='${Version}' libqt6core6 2> /dev/null || echo "?")
elapsed=$(calc %.0f "$EPOCHREALTIME - $started")
command="bash bench/run.sh"
((ci)) && command+=" --ci"
((ci)) || [[ $files == 100000 ]] || command+=" $files"

mkdir -p "$(dirname "$out")"
{
  echo "# Benchmarks"
  echo
  echo "Made by \`$command\` ($(date -u +%Y-%m-%d), ${elapsed} s, Orvane $commit). Orvane runs"
  echo "through the real window (启动窗口, offscreen) with its two dialogs answered by stand-ins;"
  echo "each step is repeated, Orvane and its baseline taking turns, and every figure below comes"
  echo "from that one invocation. The ratio is Orvane over the baseline (for MB/s, the baseline's"
  echo "time over Orvane's); a target is judged on the median ratio. No test checks any of this."
  echo
  echo "| Measure | Orvane min | Orvane median | Baseline | min | median | ratio (min) | ratio (median) | target | | runs |"
  echo "| --- | ---: | ---: | --- | ---: | ---: | ---: | ---: | --- | --- | --- |"
  printf '%s\n' "${rows[@]}"
  echo
  echo "For MB/s the \"min\" columns hold the fastest run. The memory is the peak resident size while"
  echo "the list box fills and shows its rows, less the resident size of the idle window, against"
  echo "the bytes of the listed paths ($(summary_of "$memory_tree" files) files, each path with the"
  echo "$(( ${#memory_tree} + 1 ))-byte prefix \`$memory_tree/\`). Runs: repetitions of Orvane + of the baseline."
  echo
  echo "## What was measured"
  echo
  echo "- **Trees** (\`orvane_bench_tree\`, seed $seed): $(summary_of "$tree" files) files in"
  echo "  $(summary_of "$tree" folders) folders, $(calc %.0f "$(summary_of "$tree" data_bytes) / 1048576") MiB, files at depths 1 to 8:"
  echo "  $(summary_of "$tree" files_at_depth); $(summary_of "$tree" groups) folders of extension in the destination."
  echo "  Sizes 0 to 8 KiB (6 % empty), extensions in upper and lower case, none, several dots,"
  echo "  dotfiles, spaces, UTF-8 and Latin-1 bytes in names."
  if ((scan_big)); then
    echo "  The scan-only tree has $scan_big empty files of the same kinds in"
    echo "  $(summary_of "$memory_tree" folders) folders (neither Orvane's scan nor \`find -type f\` reads a file's"
    echo "  size or contents). The large-file tree: $big_count × $big_mib MiB in one folder."
  else
    echo "  The large-file tree: $big_count × $big_mib MiB in one folder."
  fi
  echo "- **Scan**: click 提取文件名 until the list box has laid out and painted its rows, against"
  echo "  \`find SRC -type f > /dev/null\`; the tree is warm (one run of each first, untimed)."
  echo "- **Copy run**: click 立即开始分类 into a fresh destination, against one \`mkdir -p\` of all"
  echo "  folders and one \`xargs -0 cp -t FOLDER\` per folder of extension. Both destinations are"
  echo "  compared (names and sizes) once. Before every step, \`sync -f\` writes back what the step"
  echo "  before left (untimed)."
  echo "- **Move run**: the same with the check box ticked and \`mv -t\`, each on a fresh copy of the"
  echo "  tree (\`cp -a\`, untimed): on one file system, and from tmpfs to the disk, where Orvane"
  echo "  copies, flushes the target file system (\`syncfs\`, once every 1,024 files or 512 MiB) and"
  echo "  only then removes the sources, while \`mv\` removes each source right after its copy and"
  echo "  flushes nothing; \`mv -t\` followed by one \`sync -f\` shows how much of the difference the"
  echo "  flushing is."
  echo "- **Timing**: Orvane's figure is the click handler (plus, for the scan, the event loop"
  echo "  until the rows are shown), timed inside the process, so the start of Qt is not in it; a"
  echo "  baseline's figure is its whole command line, its process starts included."
  echo
  echo "## Machine"
  echo
  echo "- CPU: $cpu, $(nproc) cores; $mem_gib GiB of memory; Linux $(uname -r)"
  echo "- Disk scratch: \`$scratch\` on $fs_tmp"
  echo "- Second file system: \`$shm\` on $fs_shm"
  echo "- Load average (1, 5, 15 min) at the start $load_at_start, at the end $load_at_end: another"
  echo "  build may run on the same two cores, and every \`sync -f\` flushes its files too."
  echo "- Build $build_type, $("$compiler" --version 2> /dev/null | head -1); Qt $qt_version;"
  echo "  $(cp --version | head -1), $(find --version | head -1)"
  echo
  cat "$here/limits.md"
} > "$out"
echo
echo "Written to $out"
