#!/usr/bin/env bash
# Sets up, builds and runs the host program: it registers the server, runs its main job
# late-bound on a drawing it makes and prints a summary of what the drawing holds.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh

build=${BUILD_DIR:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fluvahost Fluvanet
# A registry of this build's own, so that a run never touches another installation's.
export FLUVANET_REGISTRY=${FLUVANET_REGISTRY:-$PWD/$build/registry}
"$build/fluvahost" "$build/Fluvanet.so"
