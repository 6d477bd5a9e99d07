#!/usr/bin/env bash
# The number of jobs and the way files are read change nothing but speed:
# over a generated tree of 20,000 messages, runs with 1, 2 and 8 jobs, with
# plain reads, with every file read ahead and with the read-ahead judging
# (MAILSIFT_IO), give the same report, the same standard output and error,
# and the same accounting log (times aside), in the plain, comma-quoted, TAB
# and quoted-pipe formats.
#   jobs_identity_test.sh MAILSIFT_BINARY MAKE_TREE_BINARY
set -euo pipefail
binary=$(realpath "$1")
make_tree=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
"$make_tree" tree 20000 >/dev/null

# A clean environment: no INI file of the user's, no DELIMETER or ACCT.
run() { env -i TZ=UTC LANG=C HOME="$scratch" PATH=/usr/bin:/bin MAILSIFT_IO="$io" "$binary" "$@" </dev/null; }
# The lines that hold the time of the run.
untimed() { grep -v -E 'Started |Finished: |Elapsed: ' "$1" || true; }

for format in "" "-d ," "-d 9" "--quote"; do
  first=
  for variant in 1:plain 1:ahead 2:judged 2:ahead 8:plain 8:ahead; do
    jobs=${variant%%:*} io=${variant#*:}
    # Each run in a directory of its own, so that its command line differs
    # from the others' by the number of jobs only.
    dir=j$jobs-$io
    rm -rf "$dir" && mkdir "$dir"
    # shellcheck disable=SC2086
    (cd "$dir" && run ../tree -o report.txt -1 run.log --jobs=$jobs $format >out.txt 2>err.txt) ||
      { echo "FAIL: --jobs=$jobs $format, $io reads: exit $?" >&2; exit 1; }
    untimed "$dir/run.log" | sed "s/--jobs=$jobs\b/--jobs=N/" >"$dir/run.untimed"
    untimed "$dir/err.txt" >"$dir/err.untimed"
    [ -z "$first" ] && first=$dir && continue
    for kind in report.txt out.txt err.untimed run.untimed; do
      cmp "$first/$kind" "$dir/$kind" ||
        { echo "FAIL: $kind differs, --jobs=$jobs $format, $io reads" >&2; exit 1; }
    done
  done
  rows=$(grep -c '' "$first/report.txt")
  [ "$rows" -eq 20001 ] || { echo "FAIL: $rows lines in the $format report" >&2; exit 1; }
  echo "format '${format:-plain}': identical for 1, 2 and 8 jobs, plain reads and read ahead"
done
