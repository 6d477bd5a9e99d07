#!/usr/bin/env bash
# How a warm run grows with the tree: times mailsift (default jobs) over
# generated trees of 100,000 and 1,000,000 messages and gives the peak RSS
# of each, then the ratios. Not part of CI: the larger tree takes about
# 5 GB of disk and some minutes to make.
#
#   bench/scale.sh [DIR]
#
# The trees are made under DIR (default ${TMPDIR:-/tmp}) and deleted at the
# end. Each tree is written out to the disk (sync) and read once to warm the
# page cache, then timed RUNS times (default 3); the median counts. With
# MAILSIFT_BEFORE naming another mailsift binary, its runs are timed in the
# same rounds.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-3}
base=${1:-${TMPDIR:-/tmp}}

. bench/common.sh
bench_build mailsift mailsift_make_tree
[ -x /usr/bin/time ] || { echo "bench/scale.sh: /usr/bin/time is needed (package time)" >&2; exit 2; }

work=$(mktemp -d "$base/mailsift-scale-XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "disk before: $(df -h "$base" | tail -1)"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
binaries=(after)
declare -A binary=([after]="$build/mailsift")
if [ -n "$before" ]; then
  binaries+=(before)
  binary[before]=$before
fi
declare -A seconds rss
for count in 100000 1000000; do
  tree=$work/tree-$count
  "$build/mailsift_make_tree" "$tree" "$count" >/dev/null
  sync
  "$build/mailsift" "$tree" -o "$work/report.txt" </dev/null >/dev/null 2>&1
  for b in "${binaries[@]}"; do : >"$work/times-$b"; done
  for ((i = 0; i < runs; i++)); do
    for b in "${binaries[@]}"; do
      /usr/bin/time -f '%e %M' -o "$work/one" "${binary[$b]}" "$tree" -o "$work/report.txt" \
        </dev/null >/dev/null 2>&1
      cat "$work/one" >>"$work/times-$b"
    done
  done
  for b in "${binaries[@]}"; do
    seconds[$b$count]=$(cut -d' ' -f1 "$work/times-$b" | median)
    rss[$b$count]=$(cut -d' ' -f2 "$work/times-$b" | sort -n | tail -1)
    echo "$b, $count files: median ${seconds[$b$count]} s of $runs, peak RSS ${rss[$b$count]} KiB"
  done
  rm -rf "$tree"
done
for b in "${binaries[@]}"; do
  awk -v a="${seconds[${b}1000000]}" -v b="${seconds[${b}100000]}" -v r="${rss[${b}1000000]}" -v n="$b" \
    'BEGIN { printf "%s: time 1,000,000 / 100,000: %.2f (target at most 10.5), peak RSS %.1f MiB (target at most 64)\n", n, a / b, r / 1024 }'
done
