#!/usr/bin/env bash
# Reports the files named in a list with several mailsift runs at once, then
# joins the parts' reports in list order. The joined report holds the same
# bytes as one run over the whole list (docs/SCALING.md says why).
#
#   shard-report.sh LIST PARTS REPORT [mailsift option ...]
#
# LIST    one path per line, absolute paths best, no empty line
# PARTS   how many pieces the list is cut into (at line ends, in order)
# REPORT  the joined report; no header row, as in file-list mode
#
# Environment: MAILSIFT the program (default: mailsift on PATH); JOBS runs at
# once (default: one per core); ENGINE "parallel" (GNU parallel, the default
# where it is installed) or "xargs" (xargs -P).
set -euo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 LIST PARTS REPORT [mailsift option ...]" >&2
  exit 2
fi
list=$1 parts=$2 report=$3
shift 3
mailsift=${MAILSIFT:-mailsift}
jobs=${JOBS:-$(nproc)}
engine=${ENGINE:-}
if [ -z "$engine" ]; then
  if command -v parallel >/dev/null 2>&1; then engine=parallel; else engine=xargs; fi
fi

# An empty line ends a list: in the middle of the whole list it would end the
# single run there, while the parts after it would go on.
if grep -q '^$' "$list"; then
  echo "$0: $list holds an empty line; remove it first (grep -v '^\$')" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/mailsift-shards.XXXXXX")
trap 'rm -rf "$work"' EXIT
split -n "l/$parts" -d -a 4 "$list" "$work/part."

# Each part: no INI file (every machine would read its own), the same options
# for every part, the report into its own file, progress into its own log.
# "--output=" takes the name as it is (no date masks, unlike -o).
case $engine in
  parallel)
    parallel -q -j "$jobs" --halt now,fail=1 \
      "$mailsift" -.ini --source={} --output={}.rpt "$@" \
      ::: "$work"/part.???? 2>"$work/progress.log"
    ;;
  xargs)
    printf '%s\0' "$work"/part.???? |
      xargs -0 -P "$jobs" -I{} "$mailsift" -.ini --source={} --output={}.rpt "$@" \
        2>"$work/progress.log"
    ;;
  *)
    echo "$0: ENGINE must be parallel or xargs" >&2
    exit 2
    ;;
esac

# Every row begins with its line end and file-list mode writes no header
# row, so joining is a plain concatenation in part order.
cat "$work"/part.????.rpt >"$report"
