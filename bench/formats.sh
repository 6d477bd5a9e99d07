#!/usr/bin/env bash
# What the structured formats and the digests cost, in one run: over one tree,
# with the default jobs, the plain report, `--format=jsonl`, `--format=jsonl
# --sha2` and `--format=jsonl` with all six digests, RUNS times (default 9)
# interleaved after a warming run of each; prints the medians and the ratios
# to the plain report and to JSON Lines alone, and the processor time of the
# digest runs against JSON Lines alone.
#
#   bench/formats.sh [TREE]
#
# Without TREE the benchmark tree of bench/run.sh is used (made once in
# ${TMPDIR:-/tmp}/mailsift-bench-20000).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-9}

. bench/common.sh
bench_build mailsift mailsift_make_tree

bench_tree "${1:-}"
bench_scratch

names=(plain jsonl sha2 all)
declare -A args=(
  [plain]=""
  [jsonl]="--format=jsonl"
  [sha2]="--format=jsonl --sha2"
  [all]="--format=jsonl --crc --md5 --sha1 --sha2 --sha3 --sha5"
)
declare -A labels=(
  [plain]="plain report"
  [jsonl]="--format=jsonl"
  [sha2]="--format=jsonl --sha2"
  [all]="--format=jsonl, six digests"
)
run() {  # name: one timed run, "real user system" appended to name.t
  local TIMEFORMAT='%3R %3U %3S'
  # shellcheck disable=SC2086
  { time "$build/mailsift" "$tree" -o report.txt ${args[$1]} </dev/null >/dev/null 2>/dev/null; } \
    2>>"$1.t"
}
for name in "${names[@]}"; do run "$name" && rm "$name.t"; done  # warm the cache
echo "tree: $tree, $(nproc) cores, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((i = 0; i < runs; i++)); do
  for name in "${names[@]}"; do run "$name"; done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

plain=$(median plain.t 1)
jsonl=$(median jsonl.t 1)
printf '%-30s %8s %8s %8s %8s %8s\n' "median of $runs (seconds)" real user system /plain /jsonl
for name in "${names[@]}"; do
  real=$(median "$name.t" 1)
  printf '%-30s %8s %8s %8s %8s %8s\n' "${labels[$name]}" "$real" "$(median "$name.t" 2)" \
    "$(median "$name.t" 3)" "$(ratio "$real" "$plain")" \
    "$(ratio "$real" "$jsonl")"
done
# The processor time (user + system) against JSON Lines alone: other programs on
# a shared machine disturb it less than the real time.
for name in sha2 all; do
  echo "${labels[$name]} against --format=jsonl, user + system:" \
    "$(ratio "$(cpu "$name.t")" "$(cpu jsonl.t)")"
done
