#!/usr/bin/env bash
# How a warm run grows with the tree: times mailsift (default jobs) over
# generated trees of 100,000 and 1,000,000 messages and gives the peak RSS
# of each, then the ratios. Not part of CI: the larger tree takes about
# 5 GB of disk and some minutes to make.
#
#   bench/scale.sh [DIR]
#
# The trees are made under DIR (default ${TMPDIR:-/tmp}) and deleted at the
# end. Each tree is read once to warm the page cache, then timed RUNS times
# (default 3); the median counts.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${MAILSIFT_BENCH_BUILD:-$src/build-bench}
runs=${RUNS:-3}
base=${1:-${TMPDIR:-/tmp}}

scripts/ensure-tools.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target mailsift mailsift_make_tree >/dev/null
[ -x /usr/bin/time ] || { echo "bench/scale.sh: /usr/bin/time is needed (package time)" >&2; exit 2; }

work=$(mktemp -d "$base/mailsift-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "disk before: $(df -h "$base" | tail -1)"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A seconds rss
for count in 100000 1000000; do
  tree=$work/tree-$count
  "$build/mailsift_make_tree" "$tree" "$count" >/dev/null
  "$build/mailsift" "$tree" -o "$work/report.txt" </dev/null >/dev/null 2>&1
  : >"$work/times"
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %M' -o "$work/one" "$build/mailsift" "$tree" -o "$work/report.txt" \
      </dev/null >/dev/null 2>&1
    cat "$work/one" >>"$work/times"
  done
  seconds[$count]=$(cut -d' ' -f1 "$work/times" | median)
  rss[$count]=$(cut -d' ' -f2 "$work/times" | sort -n | tail -1)
  echo "$count files: median ${seconds[$count]} s of $runs, peak RSS ${rss[$count]} KiB"
  rm -rf "$tree"
done
awk -v a="${seconds[1000000]}" -v b="${seconds[100000]}" \
  'BEGIN { printf "time 1,000,000 / 100,000: %.2f (target at most 10.5)\n", a / b }'
awk -v r="${rss[1000000]}" 'BEGIN { printf "peak RSS at 1,000,000: %.1f MiB (target at most 64)\n", r / 1024 }'
