#!/usr/bin/env bash
# Installs what the install, manual-page, completion, package and sharded-run
# checks use: groff and man-db for the manual page, dpkg-dev and file for the
# Debian package, GNU parallel for the sharded run. Quiet and idempotent:
# apt-get runs only when something is missing.
set -euo pipefail
missing=()
command -v groff >/dev/null 2>&1 || missing+=(groff-base)
command -v man >/dev/null 2>&1 || missing+=(man-db)
command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
command -v file >/dev/null 2>&1 || missing+=(file)
command -v parallel >/dev/null 2>&1 || missing+=(parallel)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq >/dev/null
  $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
