#!/usr/bin/env bash
# Builds the core, the binary and the unit tests with clang under
# ThreadSanitizer in build-tsan/, then runs the parallel scan's unit tests (and
# the charset conversion and the digests from several threads at once) and
# the real binary with several jobs over a generated tree of a few thousand
# messages: every row format (JSON Lines with its decoded header fields), the
# counting pass, every file read ahead, and interrupts; then the same
# messages in one mbox archive.
# Any race report fails the script (halt_on_error); every run's report must
# equal the one-job run's.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=$src/build-tsan

scripts/ensure-tools.sh
# clang and its sanitizer runtime, installed only when a ThreadSanitizer
# program cannot be built.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
if ! { command -v clang++ >/dev/null 2>&1 &&
  echo 'int main() { return 0; }' | clang++ -x c++ -fsanitize=thread - -o "$probe/t" 2>/dev/null; }; then
  echo "installing: clang libclang-rt-dev"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq >/dev/null
  $sudo_cmd apt-get install -y -qq clang libclang-rt-dev >/dev/null
fi

CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAILSIFT_WERROR=ON \
  -DMAILSIFT_TSAN=ON >/dev/null
cmake --build "$build" -j2 --target mailsift mailsift_unit_tests mailsift_make_tree

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66 suppressions=$src/scripts/tsan-suppressions.txt"
"$build/tests/mailsift_unit_tests" --gtest_filter='ParallelScan*:ReadAhead*:ArchiveReader*:CharsetConversion.ThreadsConvertAtOnce:DigestSet*' --gtest_brief=1

work=$(mktemp -d)
trap 'rm -rf "$probe" "$work"' EXIT
"$build/mailsift_make_tree" "$work/tree" 3000 >/dev/null
cd "$work"

# Runs mailsift with the given arguments; the exit status must be $1.
run() {
  local want=$1
  shift
  local got=0
  env -i PATH="$PATH" TZ=UTC TSAN_OPTIONS="$TSAN_OPTIONS" MAILSIFT_IO="${io:-}" "$build/mailsift" "$@" </dev/null \
    >out.txt 2>err.txt || got=$?
  if [ "$got" -ne "$want" ]; then
    echo "mailsift $*: exit $got, expected $want" >&2
    tail -40 err.txt >&2
    exit 1
  fi
}

# The plain format last: one.txt is then the plain one-job report.
for format in "-d ," "-d 9" "--quote" "--format=jsonl" ""; do
  # shellcheck disable=SC2086
  run 0 tree -o one.txt --jobs=1 $format
  cp err.txt one.err
  for jobs in 2 4 8; do
    # shellcheck disable=SC2086
    run 0 tree -o many.txt --jobs=$jobs $format
    cmp one.txt many.txt
    # The summary's elapsed time is the one line that may differ.
    cmp <(grep -v 'Elapsed:' one.err) <(grep -v 'Elapsed:' err.txt)
  done
done
run 0 tree -o counted.txt --jobs=4 --immediate
cmp counted.txt one.txt
# Every file read ahead through the ring, as on a cold cache: the walking
# thread submits, the scanning threads take the completions.
for jobs in 1 2 8; do
  io=ahead run 0 tree -o ahead.txt --jobs=$jobs
  cmp ahead.txt one.txt
done

# The tree's messages in one mbox archive, with a message larger than the
# read windows in the middle: the units and windows shared between threads.
mkdir box
middle=$(find tree -type f | sort | sed -n 1500p)
for f in $(find tree -type f | sort); do
  printf 'From tsan@example.org Mon Jan  1 00:00:00 2024\n'
  cat "$f"
  printf '\n'
  [ "$f" = "$middle" ] &&
    { printf 'From large\n\n'; awk 'BEGIN { for (i = 0; i < 340000; i++) print "A line of a large message." }'; printf '\n'; }
done >box/all.mbox
for format in "--format=jsonl" ""; do
  # shellcheck disable=SC2086
  run 0 box --mbox -o box-one.txt --jobs=1 $format
  for jobs in 2 4 8; do
    # shellcheck disable=SC2086
    run 0 box --mbox -o box-many.txt --jobs=$jobs $format
    cmp box-one.txt box-many.txt
  done
done

# Interrupts at a few moments: the run ends with exit 2, race-free.
for delay in 0.05 0.2 0.5 1; do
  got=0
  rm -f cut.txt
  env -i PATH="$PATH" TZ=UTC TSAN_OPTIONS="$TSAN_OPTIONS" "$build/mailsift" tree -o cut.txt \
    --jobs=4 </dev/null >/dev/null 2>cut.err &
  pid=$!
  sleep "$delay"
  kill -INT "$pid" 2>/dev/null || true
  wait "$pid" || got=$?
  if [ "$got" -ne 2 ] && [ "$got" -ne 0 ]; then
    echo "interrupted run: exit $got" >&2
    tail -40 cut.err >&2
    exit 1
  fi
  # An interrupt before the report was opened leaves none.
  [ -f cut.txt ] || continue
  # A prefix of the one-job report but for its last row: the file being read
  # when the interrupt came keeps its row, with what was read by then, and
  # its name, size and time.
  last=$(tail -n1 cut.txt)
  whole=$(($(stat -c %s cut.txt) - $(printf '%s' "$last" | wc -c) - 1))
  [ "$whole" -lt 0 ] && whole=0
  cmp <(head -c "$whole" one.txt) <(head -c "$whole" cut.txt)
  grep -qF "$(printf '%s' "$last" | cut -d'|' -f1-3)|" one.txt
done
# Interrupts while the archive is read: exit 2, race-free, whole rows.
for delay in 0.05 0.3; do
  got=0
  rm -f box-cut.txt
  env -i PATH="$PATH" TZ=UTC TSAN_OPTIONS="$TSAN_OPTIONS" "$build/mailsift" box --mbox \
    -o box-cut.txt --jobs=4 </dev/null >/dev/null 2>box-cut.err &
  pid=$!
  sleep "$delay"
  kill -INT "$pid" 2>/dev/null || true
  wait "$pid" || got=$?
  if [ "$got" -ne 2 ] && [ "$got" -ne 0 ]; then
    echo "interrupted mbox run: exit $got" >&2
    tail -40 box-cut.err >&2
    exit 1
  fi
  [ -f box-cut.txt ] || continue
  last=$(tail -n1 box-cut.txt)
  whole=$(($(stat -c %s box-cut.txt) - $(printf '%s' "$last" | wc -c) - 1))
  [ "$whole" -lt 0 ] && whole=0
  cmp <(head -c "$whole" box-one.txt) <(head -c "$whole" box-cut.txt)
done
echo "ThreadSanitizer: clean"
