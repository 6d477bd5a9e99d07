#!/usr/bin/env bash
# The digest component's speed against its libraries', in one run: for each
# digest, mailsift_digest_speed (bench/digest_speed.cpp: a DigestSet fed
# 128 KiB pieces of a buffer in memory) against `openssl speed -evp` over
# 128 KiB blocks, and for CRC-32 against zlib's crc32 called from Python over
# the same pieces. Each pair runs ROUNDS times (default 3), interleaved, for
# SECONDS_EACH seconds of processor time each (default 2: all three count
# processor time, not wall time, so that other programs on a shared machine
# do not count); the medians and their ratio are printed, then the rate of
# all six digests together. Builds a Release build in build-bench/.
#
#   bench/digest_speed.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
rounds=${ROUNDS:-3}
seconds=${SECONDS_EACH:-2}

scripts/ensure-tools.sh
command -v openssl >/dev/null 2>&1 || { . scripts/apt-install-missing.sh; install_missing openssl; }
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target mailsift_digest_speed >/dev/null
component="$build/mailsift_digest_speed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The library's rate in GB/s for one digest.
library() {
  if [ "$1" = crc32 ]; then
    python3 -c '
import sys, time, zlib
data = bytes(range(32, 127)) * (64 * 1024 * 1024 // 95)
pieces = [memoryview(data)[i:i + 131072] for i in range(0, len(data) - 131071, 131072)]
seconds = float(sys.argv[1])
done, start = 0, time.process_time()
while True:
    crc = 0
    for p in pieces:
        crc = zlib.crc32(p, crc)
    done += 131072 * len(pieces)
    elapsed = time.process_time() - start
    if elapsed >= seconds:
        break
print("%.3f" % (done / elapsed / 1e9))' "$seconds"
  else
    # The last line gives the rate in thousands of bytes a second.
    openssl speed -evp "$1" -bytes 131072 -seconds "$seconds" 2>/dev/null |
      awk 'END { sub(/k$/, "", $NF); printf "%.3f\n", $NF / 1e6 }'
  fi
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %12s %12s %8s\n' digest "library GB/s" "DigestSet" ratio
for name in crc32 md5 sha1 sha256 sha384 sha512; do
  : >"$work/lib.t"
  : >"$work/set.t"
  for ((i = 0; i < rounds; i++)); do
    library "$name" >>"$work/lib.t"
    "$component" "$name" "$seconds" >>"$work/set.t"
  done
  lib=$(median <"$work/lib.t")
  set_rate=$(median <"$work/set.t")
  printf '%-8s %12s %12s %8s\n' "$name" "$lib" "$set_rate" \
    "$(awk -v l="$lib" -v s="$set_rate" 'BEGIN { printf "%.2f", s / l }')"
done
echo "all six together: $("$component" crc32,md5,sha1,sha256,sha384,sha512 "$seconds") GB/s"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
