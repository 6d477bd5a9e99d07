#!/usr/bin/env bash
# The manual page and the usage text must not drift apart: every short
# option, long option and INI directive that `mailsift --help` shows must be
# an item of the page's OPTIONS section, and every environment variable it
# names an item of ENVIRONMENT. The check is also run on a page with one item
# taken out, which it must refuse.
#   man_options_test.sh MAILSIFT_BINARY MAN_PAGE
set -euo pipefail
binary=$(realpath "$1")
page=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The usage text as a user sees it (written to standard error).
(cd "$scratch" && env -i HOME="$scratch" "$binary" --help </dev/null 2>"$scratch/usage" >/dev/null)

# What the usage text names, one "kind name" per line: short options at the
# start of a line ("-oO" is -o and -O), long options, "[NAME=" INI
# directives and "SET NAME=" environment variables.
usage_items() {
  local u=$1
  grep -oE '^-[A-Za-z0-9?@]+' "$u" | while read -r group; do
    local i
    for ((i = 1; i < ${#group}; i++)); do echo "option -${group:i:1}"; done
  done
  grep -oE '(^|[^-[:alnum:]])--[a-z]+' "$u" | sed -E 's/^[^-]*//; s/^/option /'
  grep -oE '\[[A-Z_]+=' "$u" | sed -E 's/^\[//; s/=$//; s/^/option /'
  grep -oE 'SET [A-Z_]+=' "$u" | sed -E 's/^SET //; s/=$//; s/^/environment /'
}

# The item tags of a page (the line after each .TP) with their section, as
# "kind name" lines: every option form a tag lists, cut before "=" or "[".
page_items() {
  awk '
    /^\.SH / { sec = $0; sub(/^\.SH +/, "", sec); gsub(/"/, "", sec); next }
    /^\.TP/ { tag = 1; next }
    tag {
      tag = 0
      line = $0
      sub(/^\.[A-Z]+ */, "", line)
      gsub(/\\f[BIRP]/, "", line); gsub(/\\-/, "-", line); gsub(/\\&/, "", line)
      gsub(/"/, "", line); gsub(/,/, " ", line)
      kind = sec == "OPTIONS" ? "option" : sec == "ENVIRONMENT" ? "environment" : ""
      if (kind == "") next
      n = split(line, words, /[ \t]+/)
      for (i = 1; i <= n; i++) {
        w = words[i]
        sub(/[=[].*$/, "", w)
        if (w ~ /^[-+]/ || w ~ /^[A-Z][A-Z0-9_.]*$/) print kind, w
      }
    }' "$1"
}

# Prints the usage items the page lacks; fails when there are any, or when
# the usage text yielded too few items to be the real one.
check() {
  local man=$1
  usage_items "$scratch/usage" | sort -u >"$scratch/usage.items"
  page_items "$man" | sort -u >"$scratch/page.items"
  local options
  options=$(grep -c '^option' "$scratch/usage.items" || true)
  if [ "$options" -lt 25 ]; then
    echo "only $options options found in the usage text" >&2
    return 1
  fi
  local missing
  missing=$(comm -23 "$scratch/usage.items" "$scratch/page.items")
  if [ -n "$missing" ]; then
    echo "in the usage text but not in $man:" >&2
    echo "$missing" >&2
    return 1
  fi
}

check "$page"
echo "usage text: $(wc -l <"$scratch/usage.items") items, all in the manual page"

# A page without the -G item must be refused, and -G named.
awk 'prev == ".TP" && /^\.BI \\-G / { drop = 1 } { if (!drop) print; drop = 0; prev = $0 }' \
  "$page" >"$scratch/mutated.1"
if check "$scratch/mutated.1" 2>"$scratch/mutated.err"; then
  echo "a page without -G passed the check" >&2
  exit 1
fi
grep -qx 'option -G' "$scratch/mutated.err" || {
  echo "the check did not name -G:" >&2
  cat "$scratch/mutated.err" >&2
  exit 1
}
echo "a page without -G is refused"
