#!/usr/bin/env bash
# Configures, builds and runs every test. FLUVANET_SANITIZE=1 runs them under
# AddressSanitizer and UndefinedBehaviorSanitizer in a build directory of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh

build=${BUILD_DIR:-build}
args=()
if [[ "${FLUVANET_SANITIZE:-0}" == 1 ]]; then
  build=${BUILD_DIR:-build-sanitize}
  args+=(-DFLUVANET_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
cmake -S . -B "$build" "${args[@]}" >/dev/null
cmake --build "$build" -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
