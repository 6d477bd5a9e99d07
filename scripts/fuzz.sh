#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer in build-fuzz/, then runs each for its share
# of SECONDS_TOTAL (default 480) starting from its seed corpus and dictionary.
# Prints the number of executions of each target. Fails on any finding: the
# input is kept in build-fuzz/findings/ and belongs under
# tests/fuzz/regressions/<target>/ once the fault is mended.
#
#   scripts/fuzz.sh [SECONDS_TOTAL]
set -euo pipefail
cd "$(dirname "$0")/.."
total=${1:-480}

scripts/ensure-tools.sh
missing=()
command -v clang++ >/dev/null 2>&1 || missing+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
  missing+=(libclang-rt-14-dev)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq >/dev/null
  $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DMAILSIFT_FUZZ=ON -DMAILSIFT_TESTS=OFF >/dev/null
targets=()
for source in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

share=$((total / ${#targets[@]}))
[ "$share" -ge 1 ] || share=1
# The option parser reads these; a fuzz run must not open a log through them.
unset ACCT DELIMETER
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
root=$(pwd)
mkdir -p "$build/findings" "$build/work"
failed=0
for target in "${targets[@]}"; do
  # The corpus grows in the build directory; the seeds in the repository
  # stay as they are.
  corpus="$root/$build/corpus/$target"
  mkdir -p "$corpus"
  dict=()
  [ -f "tests/fuzz/$target.dict" ] && dict=(-dict="$root/tests/fuzz/$target.dict")
  # Every line of a list goes through the dispatch: long inputs only slow it.
  max_len=65536
  [ "$target" = file_list_fuzz ] && max_len=4096
  log="$root/$build/$target.log"
  status=0
  (cd "$build/work" && "$root/$build/$target" -max_total_time="$share" -timeout=10 \
    -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$root/$build/findings/$target-" "${dict[@]}" \
    "$corpus" "$root/tests/fuzz/corpus/$target") >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  printf '%-22s %12s executions in %ss' "$target" "${runs:-?}" "$share"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "  FINDING (see $log)"
    grep -E "^(==[0-9]+==ERROR|SUMMARY|.*property broken|.*runtime error)" "$log" | head -5 || true
  else
    echo
  fi
done
exit "$failed"
