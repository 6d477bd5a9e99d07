#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test mailsift: a C++20
# compiler, CMake, Ninja and GoogleTest. Quiet and idempotent: apt-get runs only
# when something is missing.
set -euo pipefail
missing=()
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq >/dev/null
  $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
