#!/usr/bin/env bash
# Installs the build to a scratch prefix and checks what a user gets there:
# the program runs, the manual page renders without a warning through
# groff and `man -l`, and the bash completion registers itself and completes
# options, keyword values and file names.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
for tool in groff man; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/ensure-toolbox.sh installs it)"
    exit 77
  fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >/dev/null
page=$prefix/share/man/man1/mailsift.1.gz
completion=$prefix/share/bash-completion/completions/mailsift
for f in bin/mailsift share/man/man1/mailsift.1.gz share/bash-completion/completions/mailsift \
  share/doc/mailsift/README.md share/doc/mailsift/SCALING.md \
  share/doc/mailsift/examples/mailsift.ini share/doc/mailsift/examples/shard-report.sh \
  share/doc/mailsift/examples/slurm-array.sh share/doc/mailsift/examples/messages/01-plain.eml; do
  [ -s "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/mailsift" ] || fail "bin/mailsift is not executable"

version=$(env -i "$prefix/bin/mailsift" --version)
[[ $version == "mailsift Ver. "* ]] || fail "installed --version printed: $version"

warnings=$(gzip -dc "$page" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || fail "groff warns: $warnings"

rendered=$(env -i PATH="$PATH" MANWIDTH=80 man -l "$page" 2>"$scratch/man.err")
[ -s "$scratch/man.err" ] && fail "man -l wrote: $(cat "$scratch/man.err")"
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES "EXIT STATUS" EXAMPLES \
  "LINUX AND WINDOWS"; do
  grep -qx "$heading" <<<"$rendered" || fail "man -l shows no section $heading"
done
grep -q -- '--source=list' <<<"$rendered" || fail "man -l lost the option text"

registered=$(bash --norc --noprofile -c 'source "$1"; complete -p mailsift' _ "$completion")
[ "$registered" = "complete -F _mailsift mailsift" ] || fail "complete -p printed: $registered"

# Completion: the line typed so far (cursor at its end) and the candidates
# expected, sorted and joined by blanks; "blanks" cases run with only blanks
# as word breaks, so that "=" stays in the word. Run in a directory holding
# data.txt, list.txt, lost.lst and the directory dir1.
mkdir -p "$scratch/cwd/dir1"
touch "$scratch/cwd/data.txt" "$scratch/cwd/list.txt" "$scratch/cwd/lost.lst"
complete_line() {
  local breaks=$1 line=$2
  (cd "$scratch/cwd" && bash --norc --noprofile -c '
    source "$1"
    [ "$2" = blanks ] && COMP_WORDBREAKS=$(printf " \t")
    COMP_LINE=$3
    COMP_POINT=${#COMP_LINE}
    _mailsift
    printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$breaks" "$line") | sort | paste -sd' '
}
cases=(
  "default|mailsift --rec|--recurse --recurse="
  "default|mailsift --recurse=|OFF ON"
  "default|mailsift --verbose=O|OFF ON"
  "default|mailsift --sour|--source="
  "default|mailsift --jo|--jobs="
  "default|mailsift --mb|--mbox --mbox="
  "default|mailsift --mbox=O|OFF ON"
  "default|mailsift --source=li|list.txt"
  "default|mailsift --path=|dir1"
  "default|mailsift --delimeter=|pipe"
  "default|mailsift --exclude=|"
  "default|mailsift -o |data.txt dir1 list.txt lost.lst stdout"
  "default|mailsift -ro st|stdout"
  "default|mailsift -tc -o l|list.txt lost.lst"
  "default|mailsift -t |a c w"
  "default|mailsift -p |dir1"
  "default|mailsift -p dir1 |dir1"
  "default|mailsift -f |"
  "default|mailsift -d |"
  "default|mailsift d|data.txt dir1"
  "default|mailsift dir1 -r |"
  "default|mailsift +r|+r"
  "default|mailsift -G|-G"
  "default|mailsift -.|-.ini"
  "blanks|mailsift --recurse=|--recurse=OFF --recurse=ON"
  "blanks|mailsift --output=da|--output=data.txt"
)
for c in "${cases[@]}"; do
  IFS='|' read -r breaks line expected <<<"$c"
  got=$(complete_line "$breaks" "$line")
  [ "$got" = "$expected" ] || fail "completing \"$line\": expected \"$expected\", got \"$got\""
done
all=$(complete_line default "mailsift -")
for want in -p -x -o -1 -.ini --source= --recurse --help --version; do
  tr ' ' '\n' <<<"$all" | grep -qxF -- "$want" || fail "completing \"mailsift -\" lacks $want"
done

echo "installed to a scratch prefix; man -l, groff and ${#cases[@]} completion cases pass"
