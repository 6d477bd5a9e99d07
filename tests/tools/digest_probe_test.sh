#!/usr/bin/env bash
# The digest component against the standard tools: every digest of every file
# of a generated tree, computed by the probe (tests/tools/digest_probe.cpp)
# in pieces of odd sizes through one reused set, must equal what md5sum, the
# sha*sum tools and Python's zlib.crc32 give. Then a set asked for fewer
# digests prints only those. A Windows build of the probe runs under the
# emulator given after it (Wine); its CR LF line ends are taken as LF.
#   digest_probe_test.sh PROBE_BINARY [EMULATOR...]
set -euo pipefail
probe=("${@:2}" "$(realpath "$1")")
. "$(dirname "$0")/digest_tree.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
make_digest_tree tree
mapfile -t files < <(find tree -type f | LC_ALL=C sort)

tool_digests "${files[@]}" >expected.txt
"${probe[@]}" crc32,md5,sha1,sha256,sha384,sha512 "${files[@]}" | tr -d '\r' |
  LC_ALL=C sort >got.txt
diff expected.txt got.txt || { echo "FAIL: digests differ from the standard tools" >&2; exit 1; }

grep -E '^(crc32|sha384) ' expected.txt >expected-two.txt
"${probe[@]}" sha384,crc32 "${files[@]}" | tr -d '\r' | LC_ALL=C sort >got-two.txt
diff expected-two.txt got-two.txt || { echo "FAIL: two digests asked for" >&2; exit 1; }
echo "$(wc -l <got.txt) digests of ${#files[@]} files equal the standard tools'"
