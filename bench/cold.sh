#!/usr/bin/env bash
# Times mailsift on a cold page cache against the read floors and ripgrep,
# in one run:
#
#   bench/cold.sh [TREE]
#
# Before every single run the page cache is dropped (sync, then
# `echo 3 > /proc/sys/vm/drop_caches`), which only root may do; otherwise the
# script says so and stops. Commands: the one-thread floor, the floor with 8
# reads in flight (bench/read_floor.cpp listing the tree, then 8 threads
# reading), mailsift with its default jobs and with --jobs=1, ripgrep when it
# is installed, and with MAILSIFT_BEFORE naming another mailsift binary its
# two runs. RUNS rounds (default 3), interleaved; prints the medians, each
# against the 8-in-flight floor, and ripgrep's time over mailsift's. Without
# TREE it uses the tree bench/run.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-3}

if [ "$(id -u)" -ne 0 ] || ! [ -w /proc/sys/vm/drop_caches ]; then
  echo "bench/cold.sh: cannot drop the page cache (it takes root and a writable" \
    "/proc/sys/vm/drop_caches); no cold figures" >&2
  exit 2
fi

. bench/common.sh
bench_build mailsift mailsift_read_floor mailsift_make_tree

bench_tree "${1:-}"

bench_scratch

declare -A command
command[floor]="$build/mailsift_read_floor $tree"
command[floor_8]="$build/mailsift_read_floor $tree 8"
command[default]="$build/mailsift $tree -o report.txt"
command[one]="$build/mailsift $tree -o report.txt --jobs=1"
names=(floor floor_8 default one)
if command -v rg >/dev/null 2>&1; then
  command[rg]="rg -uuu --no-config -i -e $header_pattern $tree"
  names+=(rg)
fi
if [ -n "$before" ]; then
  command[before_default]="$before $tree -o report.txt"
  command[before_one]="$before $tree -o report.txt --jobs=1"
  names+=(before_default before_one)
fi

# Drops the page cache, then runs a command (a word list), appending
# "real user system" in seconds to the file $1.
cold_timed() {
  local out=$1
  shift
  sync
  echo 3 >/proc/sys/vm/drop_caches
  local TIMEFORMAT='%3R %3U %3S'
  { time $@ </dev/null >/dev/null 2>/dev/null || true; } 2>>"$out"
}

echo "machine: $(nproc) cores, kernel $(uname -r)"
echo "tree: $tree: $("$build/mailsift_read_floor" "$tree")"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((i = 0; i < runs; i++)); do
  for name in "${names[@]}"; do cold_timed "$name.t" ${command[$name]}; done
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"


f8=$(median floor_8.t 1)
printf '%-32s %8s %8s %8s %9s\n' "cold, median of $runs (seconds)" real user system "/floor 8"
for name in "${names[@]}"; do
  case $name in
    floor) label="floor, one thread" ;;
    floor_8) label="floor, 8 reads in flight" ;;
    default) label="mailsift (default jobs)" ;;
    one) label="mailsift --jobs=1" ;;
    rg) label="ripgrep (default threads)" ;;
    before_default) label="before: mailsift (default)" ;;
    before_one) label="before: mailsift --jobs=1" ;;
  esac
  real=$(median "$name.t" 1)
  printf '%-32s %8s %8s %8s %9s\n' "$label" "$real" "$(median "$name.t" 2)" \
    "$(median "$name.t" 3)" "$(ratio "$real" "$f8")"
done
if [ -f rg.t ]; then
  echo "ripgrep / mailsift (default jobs): $(ratio "$(median rg.t 1)" "$(median default.t 1)")"
fi
