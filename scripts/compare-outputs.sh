#!/usr/bin/env bash
# Runs two mailsift binaries over the same inputs and compares everything they
# write: the report, standard output, standard error (the elapsed time aside),
# the accounting log (its times aside) and the exit status. For refactors that
# must not change a byte.
#   scripts/compare-outputs.sh OLD_BINARY NEW_BINARY [TREE_COUNT]
# The inputs: the bundled samples, a generated tree of TREE_COUNT messages
# (default 5000, made by build/mailsift_make_tree) and a file list of both,
# in the six report formats, with one job and with four.
set -euo pipefail
old=$(realpath "$1")
new=$(realpath "$2")
count=${3:-5000}
root=$(cd "$(dirname "$0")/.." && pwd)
make_tree=${MAKE_TREE:-$root/build/mailsift_make_tree}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
"$make_tree" tree "$count" >/dev/null
cp -r "$root/samples" samples
find "$scratch/samples" "$scratch/tree" -type f | sort | sed -n 1,400p >list.txt

run() {  # binary dir args...
  local binary=$1 dir=$2
  shift 2
  mkdir -p "$dir"
  (cd "$dir" && env -i TZ=UTC LANG=C HOME="$scratch" PATH=/usr/bin:/bin "$binary" "$@" \
    </dev/null >out.txt 2>err.txt; echo $? >status.txt) || true
  for f in err.txt run.log; do
    [ -f "$dir/$f" ] && sed -i -E '/Started |Finished: |Elapsed: |elapsed/d' "$dir/$f"
  done
  return 0
}

# Both binaries run from the same path, since the log echoes the command.
mkdir -p bin
cases=0
for side in a b; do
  if [ $side = a ]; then cp "$old" bin/mailsift; else cp "$new" bin/mailsift; fi
  cases=0
  for input in samples tree --source=../list.txt; do
    for format in "" "-d ," "-d ;" "-d 9" "--format=csv" "--format=jsonl"; do
      for jobs in 1 4; do
        for extra in "" "-o report.txt -1 run.log"; do
          cases=$((cases + 1))
          args=("$input")
          [ "${input:0:1}" = "-" ] || args=("../$input")
          # shellcheck disable=SC2206
          args+=($format --jobs=$jobs $extra)
          run "$scratch/bin/mailsift" "$side$cases" "${args[@]}"
          echo "${args[*]}" >"$side$cases/args.txt"
        done
      done
    done
  done
done
failures=0
for i in $(seq 1 $cases); do
  if ! diff -r "a$i" "b$i" >/dev/null; then
    echo "DIFFERS: $(cat "a$i/args.txt")"
    diff -r "a$i" "b$i" | head -20
    failures=$((failures + 1))
  fi
done
echo "$cases runs compared ($(cat a*/report.txt a*/out.txt | grep -c "") lines of reports), $failures differ"
[ "$failures" -eq 0 ]
