#!/usr/bin/env bash
# The number of jobs changes nothing but speed: over a generated tree of
# 20,000 messages, runs with 1, 2 and 8 jobs give the same report, the same
# standard output and error, and the same accounting log (times aside), in
# the plain, comma-quoted, TAB and quoted-pipe formats.
#   jobs_identity_test.sh MAILSIFT_BINARY MAKE_TREE_BINARY
set -euo pipefail
binary=$(realpath "$1")
make_tree=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
"$make_tree" tree 20000 >/dev/null

# A clean environment: no INI file of the user's, no DELIMETER or ACCT.
run() { env -i TZ=UTC LANG=C HOME="$scratch" PATH=/usr/bin:/bin "$binary" "$@" </dev/null; }
# The lines that hold the time of the run.
untimed() { grep -v -E 'Started |Finished: |Elapsed: ' "$1" || true; }

for format in "" "-d ," "-d 9" "--quote"; do
  for jobs in 1 2 8; do
    # Each run in a directory of its own, so that its command line differs
    # from the others' by the number of jobs only.
    rm -rf "j$jobs" && mkdir "j$jobs"
    # shellcheck disable=SC2086
    (cd "j$jobs" && run ../tree -o report.txt -1 run.log --jobs=$jobs $format >out.txt 2>err.txt) ||
      { echo "FAIL: --jobs=$jobs $format: exit $?" >&2; exit 1; }
    untimed "j$jobs/run.log" | sed "s/--jobs=$jobs\b/--jobs=N/" >"j$jobs/run.untimed"
    untimed "j$jobs/err.txt" >"j$jobs/err.untimed"
    [ "$jobs" = 1 ] && continue
    for kind in report.txt out.txt err.untimed run.untimed; do
      cmp "j1/$kind" "j$jobs/$kind" ||
        { echo "FAIL: $kind differs, --jobs=$jobs $format" >&2; exit 1; }
    done
  done
  rows=$(grep -c '' j1/report.txt)
  [ "$rows" -eq 20001 ] || { echo "FAIL: $rows lines in the $format report" >&2; exit 1; }
  echo "format '${format:-plain}': identical for 1, 2 and 8 jobs"
done
