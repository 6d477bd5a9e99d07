# Sourced by the benchmark scripts, from the repository's root: the build
# folder and the settings they share, the Release build of the targets
# named, the tree to time and a scratch folder.

# The build folder (MAILSIFT_BENCH_BUILD, by default build-bench/) and an
# earlier mailsift binary to time in the same rounds (MAILSIFT_BEFORE).
src=$PWD
build=${MAILSIFT_BENCH_BUILD:-$src/build-bench}
before=${MAILSIFT_BEFORE:-}
# The header lines ripgrep is asked to find.
header_pattern='^(from|to|cc|bcc|date|sent|subject):'

# Installs the build tools when missing, then builds the targets given in
# $build (a Release build without the tests).
bench_build() {
  scripts/ensure-tools.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target "$@" >/dev/null
}

# Sets `tree` to the absolute path of $1, or without it to the benchmark's
# tree of 20,000 generated messages, made once in
# ${TMPDIR:-/tmp}/mailsift-bench-20000 and kept for later runs.
bench_tree() {
  tree=${1:-}
  if [ -z "$tree" ]; then
    tree=${TMPDIR:-/tmp}/mailsift-bench-20000
    if [ ! -f "$tree.made" ]; then
      rm -rf "$tree"
      "$build/mailsift_make_tree" "$tree" 20000
      touch "$tree.made"
    fi
  fi
  tree=$(cd "$tree" && pwd)
}

# Makes a scratch folder, $work, removed at exit, and goes into it.
bench_scratch() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cd "$work"
}

# The median of column $2 of a file $1 of "real user system" lines.
median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# The median processor time (user + system) of such a file.
cpu() { awk '{ print $2 + $3 }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# $1 over $2, to two places.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
