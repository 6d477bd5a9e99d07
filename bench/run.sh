#!/usr/bin/env bash
# Times mailsift against the floor (opening, reading and closing every file on
# one thread) on one tree, in one run:
#
#   bench/run.sh [TREE]
#
# Without TREE a tree of 20,000 generated messages is made once in
# ${TMPDIR:-/tmp}/mailsift-bench-20000 and kept for later runs. Builds a
# Release build in build-bench/, warms the page cache with one run of each
# command, then runs the floor, `mailsift TREE -o report.txt --jobs=1` and
# `mailsift TREE -o report.txt` (default jobs) and
# `mailsift TREE -o report.jsonl --format=jsonl` (default jobs) RUNS times
# (default 5), interleaved, with standard input from /dev/null and standard
# error (and output) to /dev/null, and prints the medians, the ratios to the
# floor and the JSON Lines report's ratio to the plain report's.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${MAILSIFT_BENCH_BUILD:-$src/build-bench}
runs=${RUNS:-5}

scripts/ensure-tools.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target mailsift mailsift_read_floor mailsift_make_tree >/dev/null

tree=${1:-}
if [ -z "$tree" ]; then
  tree=${TMPDIR:-/tmp}/mailsift-bench-20000
  if [ ! -f "$tree.made" ]; then
    rm -rf "$tree"
    "$build/mailsift_make_tree" "$tree" 20000
    touch "$tree.made"
  fi
fi
tree=$(cd "$tree" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

floor=("$build/mailsift_read_floor" "$tree")
one=("$build/mailsift" "$tree" -o report.txt --jobs=1)
default=("$build/mailsift" "$tree" -o report.txt)
jsonl=("$build/mailsift" "$tree" -o report.jsonl --format=jsonl)

# Runs a command, appending "real user system" in seconds to the file $1.
timed() {
  local out=$1
  shift
  local TIMEFORMAT='%3R %3U %3S'
  { time "$@" </dev/null >/dev/null 2>/dev/null; } 2>>"$out"
}

# The two mailsift runs must agree before they are timed.
"${one[@]}" </dev/null >/dev/null 2>one.err || { echo "mailsift --jobs=1 failed" >&2; exit 1; }
mv report.txt report-1.txt
"${default[@]}" </dev/null >/dev/null 2>default.err || { echo "mailsift failed" >&2; exit 1; }
cmp -s report.txt report-1.txt || { echo "reports differ between --jobs=1 and default" >&2; exit 1; }
# The summary's elapsed time may differ by a second.
cmp -s <(grep -v Elapsed one.err) <(grep -v Elapsed default.err) ||
  { echo "progress differs between --jobs=1 and default" >&2; exit 1; }
"${jsonl[@]}" </dev/null >/dev/null 2>/dev/null || { echo "mailsift --format=jsonl failed" >&2; exit 1; }
"${floor[@]}" >/dev/null

echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
  "kernel $(uname -r)"
echo "tree: $tree: $("${floor[@]}")"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((i = 0; i < runs; i++)); do
  timed floor.t "${floor[@]}"
  timed one.t "${one[@]}"
  timed default.t "${default[@]}"
  timed jsonl.t "${jsonl[@]}"
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

# The median of column $2 of file $1.
median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

f=$(median floor.t 1)
printf '%-28s %8s %8s %8s %8s\n' "median of $runs (seconds)" real user system "/floor"
for name in floor one default jsonl; do
  case $name in
    floor) label="floor (read only)" ;;
    one) label="mailsift --jobs=1" ;;
    default) label="mailsift (default jobs)" ;;
    jsonl) label="mailsift --format=jsonl" ;;
  esac
  real=$(median $name.t 1)
  printf '%-28s %8s %8s %8s %8s\n' "$label" "$real" "$(median $name.t 2)" "$(median $name.t 3)" \
    "$(awk -v a="$real" -v b="$f" 'BEGIN { printf "%.2f", a / b }')"
done

# The same with the processor time (user and system) of each run, which
# other programs on a shared machine disturb less than the real time.
cpu() { awk '{ print $2 + $3 }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "--format=jsonl against the plain report (default jobs): real $(awk -v a="$(median jsonl.t 1)" \
  -v b="$(median default.t 1)" 'BEGIN { printf "%.2f", a / b }'), user + system $(awk \
  -v a="$(cpu jsonl.t)" -v b="$(cpu default.t)" 'BEGIN { printf "%.2f", a / b }')"

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
