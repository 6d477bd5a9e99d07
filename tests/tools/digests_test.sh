#!/usr/bin/env bash
# The digests in the structured reports against the standard tools. Over a
# generated tree (tests/tools/digest_tree.sh) plus one file whose read fails
# partway (the fault library), a JSON Lines run asking for all six digests,
# with one job and with four, must give every file the digests md5sum, the
# sha*sum tools and Python's zlib.crc32 give, in the fields crc32, md5, sha1,
# sha256, sha384 and sha512 after all others and in that order; the failed
# file gets null in each, the run a warning and exit status 11. The CSV
# report carries the same values. Then the settings: which options and INI
# directives ask for which digests, "-c" clearing MD5 and SHA-1.
#   digests_test.sh MAILSIFT_BINARY FAULT_SHIM
set -euo pipefail
binary=$(realpath "$1")
shim=$(realpath "$2")
. "$(dirname "$0")/digest_tree.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

make_digest_tree "$scratch/tree"
python3 -c 'import sys; sys.stdout.buffer.write(b"Subject: cut\n" + b"y" * 400000)' \
  >"$scratch/tree/sub/read-fails.eml"
mapfile -t files < <(find "$scratch/tree" -type f ! -name read-fails.eml | LC_ALL=C sort)
tool_digests "${files[@]}" >expected.txt

all_six=(--crc --md5 --sha1 --sha256 --sha384 --sha512)
# Runs mailsift in a clean environment with the read of read-fails.eml failing
# after 70,000 bytes; the exit status must be $1.
run() {
  local want=$1 got=0
  shift
  env -i TZ=UTC LANG=C HOME="$scratch" PATH=/usr/bin:/bin LD_PRELOAD="$shim" ASAN_OPTIONS=verify_asan_link_order=0 \
    MAILSIFT_IO=plain MAILSIFT_FAULT_READ_EIO=read-fails.eml:70000 "$binary" "$@" </dev/null >out.txt 2>err.txt ||
    got=$?
  [ "$got" -eq "$want" ] || fail "mailsift $*: exit $got, expected $want: $(tail -5 err.txt)"
}

# Prints "NAME HEX  FILE" for each digest of each record of the report in
# file $2 (format $1), "NAME null  FILE" for a missing one, after checking that
# the digest fields close every record in their order.
digest_lines() {
  python3 -c '
import csv, io, json, sys
csv.field_size_limit(sys.maxsize)
names = ["crc32", "md5", "sha1", "sha256", "sha384", "sha512"]
with open(sys.argv[2], "rb") as f:
    data = f.read().decode("utf-8", "surrogateescape")
if sys.argv[1] == "jsonl":
    records = [json.loads(line) for line in data.split("\n")[:-1]]
else:
    rows = list(csv.reader(io.StringIO(data, newline="")))
    records = [dict(zip(rows[0], row)) for row in rows[1:]]
for r in records:
    keys = list(r.keys())
    if keys[-6:] != names:
        sys.exit("the record ends in the fields %s" % keys[-6:])
    for name in names:
        value = r[name]
        print("%s %s  %s" % (name, "null" if value in (None, "") else value, r["Filename"]))
' "$1" "$2"
}

failed=$scratch/tree/sub/read-fails.eml
for jobs in 1 4; do
  run 11 "$scratch/tree" --format=jsonl --jobs=$jobs "${all_six[@]}"
  grep -q "can't read file" err.txt || fail "no warning for the failed read (--jobs=$jobs)"
  digest_lines jsonl out.txt | LC_ALL=C sort >got.txt
  grep -v "  $failed\$" got.txt >got-read.txt || true
  diff expected.txt got-read.txt || fail "digests differ from the standard tools (--jobs=$jobs)"
  [ "$(grep -c "null  $failed\$" got.txt)" -eq 6 ] ||
    fail "the file whose read failed has digests (--jobs=$jobs): $(grep "  $failed\$" got.txt)"
  grep -q '"sha256":null' out.txt || fail "a missing digest is not written as null"
done
cp got.txt jsonl.txt
run 11 "$scratch/tree" --format=csv "${all_six[@]}"
digest_lines csv out.txt | LC_ALL=C sort >csv.txt
diff jsonl.txt csv.txt || fail "the CSV report's digests differ from the JSON Lines report's"

# Which settings ask for which digests: the digest keys of a record.
check_keys() {  # expected keys (space-separated), then mailsift's arguments
  local want=$1
  shift
  run 0 "$scratch/tree/sub/deeper" --format=jsonl "$@"
  local got
  got=$(python3 -c 'import json, sys
names = ["crc32", "md5", "sha1", "sha256", "sha384", "sha512"]
print(" ".join(k for k in json.loads(sys.stdin.readline()) if k in names))' <out.txt)
  [ "$got" = "$want" ] || fail "$*: digest fields '$got', expected '$want'"
}
check_keys ""
check_keys "sha256" --sha2
check_keys "sha384 sha512" --SHA512 --sha384
check_keys "crc32" --md5 --sha1 -c
check_keys "crc32 md5 sha1" -c --hash --sha
check_keys "crc32 sha256" --sha256 --crc
printf 'CRC=ON\nHASH=YES\nSHA=ON\n' >mailsift.ini
check_keys "crc32 md5 sha1"
printf 'ALL_HT=ON\nSHA=ON\nSHA=OFF\n' >mailsift.ini
check_keys "md5"
rm mailsift.ini
echo "digests of ${#files[@]} files equal the standard tools' with 1 and 4 jobs; failed read null"
