# Sourced by the benchmark scripts, from the repository's root with `build`
# set: the Release build of the targets named, and the tree to time.

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
