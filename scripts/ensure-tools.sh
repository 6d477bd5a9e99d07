#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test mailsift: a C++20
# compiler, CMake, Ninja, GoogleTest, and the libraries the digests come from
# (libcrypto and zlib) and liburing for the read-ahead. Quiet and idempotent: apt-get runs only
# when something is missing.
set -euo pipefail
. "$(dirname "$0")/apt-install-missing.sh"
missing=()
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/openssl/evp.h ] || missing+=(libssl-dev)
[ -f /usr/include/zlib.h ] || missing+=(zlib1g-dev)
[ -f /usr/include/liburing.h ] || missing+=(liburing-dev)
install_missing "${missing[@]+"${missing[@]}"}"
