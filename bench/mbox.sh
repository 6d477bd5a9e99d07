#!/usr/bin/env bash
# Times one mbox archive against the same messages as separate files, in one
# run:
#
#   bench/mbox.sh [TREE]
#
# Without TREE the benchmark's tree of 20,000 generated messages is used (made
# once in ${TMPDIR:-/tmp}/mailsift-bench-20000, as bench/run.sh makes it).
# Builds a Release build in build-bench/, writes every message of the tree, in
# the order the report lists them, into one archive (a "From " line before
# each, an empty line after), checks that the archive's rows hold the tree's
# rows (name and time aside), warms the page cache, then runs
# `mailsift TREE -o report.txt` and `mailsift BOXDIR --mbox -o report.txt`
# (default jobs both) RUNS times (default 7), interleaved, and prints the
# medians of the time and of the peak RSS of each, and the ratio of the
# times.
#
# Targets: the archive at most 0.6 times the separate files' time, with a
# peak RSS of at most 64 MiB.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-7}

. bench/common.sh
bench_build mailsift mailsift_make_tree

bench_tree "${1:-}"
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }

bench_scratch
mkdir box

files=("$build/mailsift" "$tree" -o report.txt)
archive=("$build/mailsift" box --mbox -o report.txt)

# The archive, in the report's order.
"${files[@]}" </dev/null >/dev/null 2>&1
python3 - report.txt box/all.mbox <<'EOF'
import sys
rows = open(sys.argv[1], "rb").read().split(b"\n")[1:]
with open(sys.argv[2], "wb") as out:
    for row in rows:
        if not row:
            continue
        data = open(row.split(b"|")[0], "rb").read()
        out.write(b"From bench@example.org Mon Jan  1 00:00:00 2024\n" + data)
        out.write(b"\n" if data.endswith(b"\n") else b"\n\n")
EOF
mv report.txt files.txt
"${archive[@]}" </dev/null >/dev/null 2>&1
# The rows but the name and the modification time.
cmp -s <(cut -d'|' -f2,4- files.txt) <(cut -d'|' -f2,4- report.txt) ||
  { echo "the archive's rows differ from the files' rows" >&2; exit 1; }

# Runs a command, appending "real user system" in seconds to $1.t and its
# peak RSS in KiB to $1.rss.
timed() {
  local name=$1
  shift
  local TIMEFORMAT='%3R %3U %3S'
  { time /usr/bin/time -f %M -a -o "$name.rss" "$@" </dev/null >/dev/null 2>/dev/null; } 2>>"$name.t"
}

echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
  "kernel $(uname -r)"
echo "tree: $tree: $(grep -c '' files.txt | awk '{ print $1 - 1 }') messages;" \
  "archive: $(stat -c %s box/all.mbox) bytes"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((i = 0; i < runs; i++)); do
  timed files "${files[@]}"
  timed archive "${archive[@]}"
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"


f=$(median files.t 1)
a=$(median archive.t 1)
printf '%-34s %8s %8s %8s %10s %8s\n' "median of $runs (seconds, KiB)" real user system "peak RSS" "/files"
printf '%-34s %8s %8s %8s %10s %8s\n' "separate files" "$f" "$(median files.t 2)" \
  "$(median files.t 3)" "$(median files.rss 1)" "1.00"
printf '%-34s %8s %8s %8s %10s %8s\n' "one mbox, --mbox" "$a" "$(median archive.t 2)" \
  "$(median archive.t 3)" "$(median archive.rss 1)" \
  "$(ratio "$a" "$f")"
echo "largest peak RSS of the archive runs: $(sort -n archive.rss | tail -1) KiB"
