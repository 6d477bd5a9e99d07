#!/usr/bin/env bash
# Builds mailsift with warnings as errors and runs every test (unit, end to end
# and the large stress tests).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-tools.sh
scripts/ensure-toolbox.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMAILSIFT_WERROR=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2
