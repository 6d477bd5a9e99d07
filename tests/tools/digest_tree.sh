# Sourced by the digest checks. A tree of files whose digests are easy to get
# wrong, and the digests of files as the standard tools give them.
#
#   make_digest_tree DIR     makes DIR and its files
#   tool_digests FILE...     prints "NAME HEX  FILE" for crc32 (Python's
#                            zlib.crc32), md5, sha1, sha256, sha384 and sha512
#                            (md5sum and the sha*sum tools), sorted

make_digest_tree() {
  local dir=$1
  mkdir -p "$dir/sub/deeper"
  : >"$dir/empty.eml"
  : >"$dir/sub/also-empty"
  printf 'Subject: stop\n\nbefore\x1aafter the Ctrl-Z\n\x1a\x1a' >"$dir/ctrl-z.eml"
  # Not "nul.eml": Windows opens that name as its null device.
  printf 'From: a\x00b\nSubject: \x00\x00\n\n\x00' >"$dir/with-nul.eml"
  printf 'From: c\r\nSubject: crlf\r\n\r\nline\r\nlone\rcr\r\n' >"$dir/crlf.eml"
  printf 'no line end at all' >"$dir/sub/no-newline.eml"
  # Every byte value, twice.
  python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 2)' >"$dir/sub/bytes.bin"
  # One line far longer than the scanner's line buffer.
  head -c 300000 /dev/zero | tr '\0' 'x' >"$dir/sub/deeper/long-line.eml"
  # Several MiB, not a whole number of any read size.
  python3 -c 'import sys
line = b"Received: from relay.example (relay.example [192.0.2.1]) by mx.example\r\n"
sys.stdout.buffer.write((line * 80000)[:5 * 1024 * 1024 + 12345])' >"$dir/sub/deeper/large.eml"
}

tool_digests() {
  local tool
  {
    for tool in md5 sha1 sha256 sha384 sha512; do
      "${tool}sum" -- "$@" | sed "s/^/$tool /"
    done
    python3 - "$@" <<'PY'
import sys, zlib
for path in sys.argv[1:]:
    with open(path, "rb") as f:
        print("crc32 %08x  %s" % (zlib.crc32(f.read()), path))
PY
  } | LC_ALL=C sort
}
