#!/usr/bin/env bash
# Builds mailsift and reports the bundled sample messages on standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-tools.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_WERROR=ON >/dev/null
cmake --build build --target mailsift >/dev/null
build/mailsift samples
echo
