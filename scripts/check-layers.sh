#!/usr/bin/env bash
# Fails when a source file breaks the layering rule:
#   app may use every layer; config may use util, platform and every option
#   record in options/; walk, scan and report may use util, platform and only
#   their own record (options/walk_options.h, options/scan_options.h,
#   options/report_options.h), never each other or the configuration; the
#   option records use nothing else; util uses platform only; platform uses
#   nothing else.
# Also: no OS header, errno or run-ending exception outside their place; scan
# and walk write no output text (no stream, no console); only report/ knows
# the report's columns.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0

allowed() {  # layer, included path -> 0 when allowed
  local layer=$1 inc=$2 dir=${2%%/*}
  [ "$dir" = "$layer" ] && return 0
  case $layer in
    app) return 0 ;;
    config) [[ $dir == util || $dir == platform || $dir == options ]] ;;
    walk | scan | report) [[ $dir == util || $dir == platform || $inc == options/${layer}_options.h ]] ;;
    util) [[ $dir == platform ]] ;;
    *) return 1 ;;
  esac
}

for file in $(find src -name '*.cpp' -o -name '*.h' | sort); do
  layer=$(echo "$file" | cut -d/ -f2)
  [ "$file" = src/main.cpp ] && continue
  while IFS= read -r inc; do
    if ! allowed "$layer" "$inc"; then
      echo "$file: $layer may not include \"$inc\""
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
  if [ "$layer" != platform ]; then
    if grep -nE '^#include <(unistd|fcntl|dirent|termios|signal|windows|io|direct)\.h>|^#include <sys/|\berrno\b' "$file"; then
      echo "$file: OS headers and errno belong in src/platform"
      status=1
    fi
  fi
  if [ "$layer" != app ] && grep -nE '\bRunExit\b|\bterminate_run\b|\bplain_exit\b' "$file"; then
    echo "$file: only app/ ends a run"
    status=1
  fi
  if [[ $layer == scan || $layer == walk ]] &&
    grep -nE '^#include "util/(out_stream|console)\.h"' "$file"; then
    echo "$file: $layer writes no output text; it fills records that report/ formats"
    status=1
  fi
  if [ "$layer" != report ] && grep -nE '"Forward \(Prior Sent\) Date\(s\)"|\bkColumnTitles\b' "$file"; then
    echo "$file: only report/ knows the report's columns"
    status=1
  fi
done
[ $status -eq 0 ] && echo "layers: ok"
exit $status
