#!/usr/bin/env bash
# Two clean builds of the same sources, in two folders of different names and
# depths, give the same executable byte for byte. Also checks where the
# build's date and time come from: SOURCE_DATE_EPOCH, else the last commit,
# else the build machine's clock with a warning at configure time.
#   scripts/check-reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-tools.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The work tree's sources as they are now (tracked and new files, not the
# ignored ones), without the repository itself.
copy_sources() {
  mkdir -p "$1"
  git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$1"
}

configure() {  # source, build, then cmake's own options; the output in $log
  local source=$1 build=$2
  shift 2
  log=$build.configure.log
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_WERROR=ON \
    -DMAILSIFT_TESTS=OFF "$@" >"$log" 2>&1 || fail "configure $source: $(cat "$log")"
}

epoch=$(git log -1 --format=%ct 2>/dev/null || echo 1700000000)
first=$scratch/a/mailsift
second=$scratch/another-folder/further/down/src
for source in "$first" "$second"; do
  copy_sources "$source"
  # The build folders differ too.
  build=$source/build-$(basename "$(dirname "$source")")
  SOURCE_DATE_EPOCH=$epoch configure "$source" "$build"
  nice -n 10 cmake --build "$build" --target mailsift >"$build.log" 2>&1 ||
    fail "build $source: $(tail -30 "$build.log")"
  binaries+=("$build/mailsift")
done
if ! cmp -s "${binaries[0]}" "${binaries[1]}"; then
  echo "differing bytes: $(cmp -l "${binaries[0]}" "${binaries[1]}" | wc -l)" >&2
  fail "two builds of the same sources differ: ${binaries[*]}"
fi
grep -qaF "$scratch" "${binaries[0]}" && fail "the program holds the path of its build folder"
expected="mailsift Ver. $(date -u -d "@$epoch" +%y.%m.%d.%H.%M)"
printed=$(env -i "${binaries[0]}" --version)
[[ $printed == "$expected"* ]] || fail "--version printed $printed, not $expected (SOURCE_DATE_EPOCH=$epoch)"

# Without SOURCE_DATE_EPOCH: the last commit's time, or else the clock with
# a warning (the copies have no repository).
unset SOURCE_DATE_EPOCH
if commit=$(git log -1 --format=%ct 2>/dev/null); then
  configure "$PWD" "$scratch/from-git"
  grep -qF "Build stamp $(date -u -d "@$commit" +%Y%m%d.%H%M) (from the last commit)" "$log" ||
    fail "no stamp from the last commit: $(grep 'Build stamp' "$log")"
fi
configure "$first" "$scratch/from-clock"
grep -q "from the build machine's clock" "$log" && grep -q "CMake Warning" "$log" ||
  fail "a build without history or SOURCE_DATE_EPOCH gave no warning: $(cat "$log")"
echo "reproducible: two builds in different folders are the same $(stat -c %s "${binaries[0]}") bytes ($printed)"
