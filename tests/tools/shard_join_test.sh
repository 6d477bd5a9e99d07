#!/usr/bin/env bash
# One inventory split over several runs: the list is cut into parts, each
# part reported by its own mailsift run side by side (GNU parallel where it is
# installed, and xargs -P always), and the parts' reports joined in order must
# hold exactly the bytes of one run over the whole list. Also checks the join
# of walk reports by root, whose header rows are cut from all but the first.
#   shard_join_test.sh MAILSIFT_BINARY SOURCE_DIR
set -euo pipefail
binary=$(realpath "$1")
source_dir=$(realpath "$2")
shard=$source_dir/examples/shard-report.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# A clean environment: no INI file of the user's, no DELIMETER or ACCT.
run() { env -i TZ=UTC LANG=C HOME="$scratch" PATH=/usr/bin:/bin "$@"; }

# Messages: the samples, and generated ones whose headers hold delimiters,
# quotes, CR LF, a lone CR, NUL and bytes that are not UTF-8, and a line
# longer than one read of a list or message line.
mail=$scratch/mail
mkdir -p "$mail/a" "$mail/b/deep" "$mail/c"
cp -r "$source_dir/samples/." "$mail/a/"
long=$(head -c 40000 /dev/zero | tr '\0' x)
generated=300
for i in $(seq 1 $generated); do
  case $((i % 3)) in 0) dir=$mail/a ;; 1) dir=$mail/b/deep ;; 2) dir=$mail/c ;; esac
  case $((i % 5)) in
    0) name="msg $i.eml" ;;
    1) name="-lead $i.eml" ;;
    2) name="é $i 'q\".msg" ;;
    3) name="#$i" ;;
    4) name="m$i.eml" ;;
  esac
  {
    printf 'From: Sender %d <s%d@example.com>\r\n' "$i" "$i"
    printf 'To: "Doe, Jane" <j@example.com>, b|c@example.com\n'
    printf 'Subject: Q3 | plan, "draft" %d\r\n' "$i"
    printf 'Date: Mon, %d Aug 2013 10:%02d:33 -0400\n' $((i % 28 + 1)) $((i % 60))
    printf 'Received: from relay (relay [192.0.2.%d])\n' $((i % 250))
    printf 'X-Odd: a\rb\0c\377\376\n'
    [ $((i % 50)) -eq 0 ] && printf 'Subject: %s\n' "$long"
    printf '\nBody %d\n' "$i"
  } >"$dir/$name"
done
# Names a list cannot carry (cut at "|", trailing blank removed): every run
# passes over them alike.
echo x >"$mail/c/bar|name.eml"
echo x >"$mail/c/trailing.eml "
find "$mail" -type f -print | LC_ALL=C sort >all.lst
echo "$scratch/missing.eml" >>all.lst
reportable=$((generated + $(find "$source_dir/samples" -type f | wc -l)))

run "$binary" -.ini --source=all.lst >single.rpt 2>single.err || fail "single run ended with $?"
rows=$(tr -cd '\n' <single.rpt | wc -c)
[ "$rows" -eq "$reportable" ] || fail "single run wrote $rows rows, expected $reportable"
[ "$(head -c 1 single.rpt | od -An -tx1 | tr -d ' ')" = 0a ] || fail "the list report does not begin with a line end"

engines=(xargs)
if command -v parallel >/dev/null 2>&1; then
  engines=(parallel xargs)
else
  echo "GNU parallel is not installed: only xargs -P is tried"
fi
checked=0
for engine in "${engines[@]}"; do
  for parts in 1 4 7; do
    run MAILSIFT="$binary" ENGINE="$engine" JOBS=2 "$shard" all.lst "$parts" joined.rpt ||
      fail "$engine with $parts parts ended with $?"
    cmp -s single.rpt joined.rpt || fail "$engine with $parts parts: the join differs"
    checked=$((checked + 1))
  done
  # More parts than lines: some parts are empty.
  head -n 5 all.lst >few.lst
  run "$binary" -.ini --source=few.lst >few.rpt 2>/dev/null
  run MAILSIFT="$binary" ENGINE="$engine" JOBS=2 "$shard" few.lst 8 joined-few.rpt
  cmp -s few.rpt joined-few.rpt || fail "$engine with empty parts: the join differs"
  checked=$((checked + 1))
done

# The same with options every run must share: comma-quoted, UTC times.
run "$binary" -.ini --source=all.lst -d , -z >single-q.rpt 2>/dev/null
run MAILSIFT="$binary" JOBS=2 "$shard" all.lst 5 joined-q.rpt -d , -z
cmp -s single-q.rpt joined-q.rpt || fail "comma-quoted UTC join differs"
cmp -s single.rpt single-q.rpt && fail "the options changed nothing"
checked=$((checked + 1))

# GNU parallel keeping order joins on its standard output.
if command -v parallel >/dev/null 2>&1; then
  mkdir parts
  split -n l/6 -d -a 4 all.lst parts/part.
  run PATH="$(dirname "$binary"):/usr/bin:/bin" parallel -k -j 2 --halt now,fail=1 \
    mailsift -.ini --source={} ::: parts/part.???? >joined-k.rpt 2>/dev/null
  cmp -s single.rpt joined-k.rpt || fail "parallel -k join differs"
  checked=$((checked + 1))
fi

# Walk reports by root: the first whole, the others without their header row.
mkdir empty
header_bytes=$(run "$binary" empty -.ini | wc -c)
[ "$header_bytes" -gt 100 ] || fail "no header row from an empty walk"
run "$binary" "$mail/a" "$mail/b" "$mail/c" -.ini >walk.rpt 2>/dev/null
{
  run "$binary" "$mail/a" -.ini 2>/dev/null
  for root in b c; do run "$binary" "$mail/$root" -.ini 2>/dev/null | tail -c +$((header_bytes + 1)); done
} >walk-joined.rpt
cmp -s walk.rpt walk-joined.rpt || fail "the walk reports joined by root differ"
checked=$((checked + 1))

echo "$checked joins byte-identical to the single run ($rows rows; engines: ${engines[*]})"
