#!/usr/bin/env bash
# Installs what the install, manual-page, completion, package and sharded-run
# checks use: groff and man-db for the manual page, dpkg-dev and file for the
# Debian package, GNU parallel for the sharded run. Quiet and idempotent:
# apt-get runs only when something is missing.
set -euo pipefail
. "$(dirname "$0")/apt-install-missing.sh"
missing=()
command -v groff >/dev/null 2>&1 || missing+=(groff-base)
command -v man >/dev/null 2>&1 || missing+=(man-db)
command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
command -v file >/dev/null 2>&1 || missing+=(file)
command -v parallel >/dev/null 2>&1 || missing+=(parallel)
install_missing "${missing[@]+"${missing[@]}"}"
