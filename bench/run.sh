#!/usr/bin/env bash
# Times mailsift against two floors and ripgrep on one tree, in one run:
#
#   bench/run.sh [TREE]
#
# The floors (bench/read_floor.cpp): opening, reading and closing every file
# on one thread, and listing the tree first, then reading every file with one
# thread per online core. Without TREE a tree of 20,000 generated messages is
# made once in ${TMPDIR:-/tmp}/mailsift-bench-20000 and kept for later runs.
# Builds a Release build in build-bench/, installs ripgrep when it is missing,
# warms the page cache with one run of each command, then runs each RUNS
# times (default 5), interleaved, with standard input from /dev/null and
# standard output and error to /dev/null, and prints the medians: one-thread
# commands against the one-thread floor, the others against the threaded
# floor, and ripgrep's time over mailsift's. With MAILSIFT_BEFORE naming
# another mailsift binary (an earlier build), its two runs are timed in the
# same rounds.
set -euo pipefail
. "$(dirname "$0")/../scripts/apt-install-missing.sh"
cd "$(dirname "$0")/.."
runs=${RUNS:-5}

. bench/common.sh
bench_build mailsift mailsift_read_floor mailsift_make_tree
command -v rg >/dev/null 2>&1 || install_missing ripgrep

bench_tree "${1:-}"

bench_scratch

declare -A command
command[floor]="$build/mailsift_read_floor $tree"
command[floor_n]="$build/mailsift_read_floor $tree 0"
command[one]="$build/mailsift $tree -o report.txt --jobs=1"
command[default]="$build/mailsift $tree -o report.txt"
command[jsonl]="$build/mailsift $tree -o report.jsonl --format=jsonl"
command[rg_one]="rg -uuu --no-config -i -e $header_pattern -j1 $tree"
command[rg]="rg -uuu --no-config -i -e $header_pattern $tree"
names=(floor floor_n one default jsonl rg_one rg)
if [ -n "$before" ]; then
  command[before_one]="$before $tree -o report.txt --jobs=1"
  command[before_default]="$before $tree -o report.txt"
  names+=(before_one before_default)
fi
floor=("$build/mailsift_read_floor" "$tree")
one=("$build/mailsift" "$tree" -o report.txt --jobs=1)
default=("$build/mailsift" "$tree" -o report.txt)

# Runs a command (a word list without quoting inside words), appending
# "real user system" in seconds to the file $1. ripgrep ends with 1 when
# nothing matches; only the time counts.
timed() {
  local out=$1
  shift
  local TIMEFORMAT='%3R %3U %3S'
  { time $@ </dev/null >/dev/null 2>/dev/null || true; } 2>>"$out"
}

# The two mailsift runs must agree before they are timed.
"${one[@]}" </dev/null >/dev/null 2>one.err || { echo "mailsift --jobs=1 failed" >&2; exit 1; }
mv report.txt report-1.txt
"${default[@]}" </dev/null >/dev/null 2>default.err || { echo "mailsift failed" >&2; exit 1; }
cmp -s report.txt report-1.txt || { echo "reports differ between --jobs=1 and default" >&2; exit 1; }
# The summary's elapsed time may differ by a second.
cmp -s <(grep -v Elapsed one.err) <(grep -v Elapsed default.err) ||
  { echo "progress differs between --jobs=1 and default" >&2; exit 1; }
"${floor[@]}" >/dev/null

echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
  "kernel $(uname -r)"
echo "tree: $tree: $("${floor[@]}")"
echo "ripgrep: $(rg --version 2>/dev/null | sed -n 1p)"
for name in "${names[@]}"; do timed /dev/null ${command[$name]}; done
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((i = 0; i < runs; i++)); do
  for name in "${names[@]}"; do timed "$name.t" ${command[$name]}; done
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"


f1=$(median floor.t 1)
fn=$(median floor_n.t 1)
printf '%-30s %8s %8s %8s %8s\n' "median of $runs (seconds)" real user system "/floor"
for name in "${names[@]}"; do
  case $name in
    floor) label="floor, one thread" base=$f1 ;;
    floor_n) label="floor, one thread per core" base=$fn ;;
    one) label="mailsift --jobs=1" base=$f1 ;;
    default) label="mailsift (default jobs)" base=$fn ;;
    jsonl) label="mailsift --format=jsonl" base=$fn ;;
    rg_one) label="ripgrep -j1" base=$f1 ;;
    rg) label="ripgrep (default threads)" base=$fn ;;
    before_one) label="before: mailsift --jobs=1" base=$f1 ;;
    before_default) label="before: mailsift (default)" base=$fn ;;
  esac
  real=$(median "$name.t" 1)
  printf '%-30s %8s %8s %8s %8s\n' "$label" "$real" "$(median "$name.t" 2)" "$(median "$name.t" 3)" \
    "$(ratio "$real" "$base")"
done
echo "ripgrep -j1 / mailsift --jobs=1: $(ratio "$(median rg_one.t 1)" "$(median one.t 1)")"
echo "ripgrep / mailsift (default jobs): $(ratio "$(median rg.t 1)" "$(median default.t 1)")"
# The processor time (user + system) of the JSON Lines report over the
# plain one's: other programs on a shared machine disturb it less than the
# real time.
echo "--format=jsonl against the plain report (default jobs): real" \
  "$(ratio "$(median jsonl.t 1)" "$(median default.t 1)"), user + system" \
  "$(ratio "$(cpu jsonl.t)" "$(cpu default.t)")"

# Peak memory of a default run, and the system calls per file of a
# one-thread run, where the tools to tell them are installed.
if [ -x /usr/bin/time ]; then
  /usr/bin/time -f %M -o rss.txt "${default[@]}" </dev/null >/dev/null 2>/dev/null
  echo "peak RSS, default jobs: $(tail -1 rss.txt) KiB"
fi
if command -v strace >/dev/null 2>&1; then
  files=$("${floor[@]}" | cut -d' ' -f1)
  strace -f -c -o calls.txt "${one[@]}" </dev/null >/dev/null 2>/dev/null
  awk -v files="$files" '$NF == "total" { printf "system calls per file, --jobs=1: %.2f\n", $4 / files }' calls.txt
fi
