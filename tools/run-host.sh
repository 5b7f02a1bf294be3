#!/usr/bin/env bash
# Sets up, builds and runs the host program: it registers the server, creates each class
# by its programmatic identifier and calls the library late-bound on a drawing it makes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh

build=${BUILD_DIR:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fluvahost Fluvanet
# A registry of this build's own, so that a run never touches another installation's.
export FLUVANET_REGISTRY=${FLUVANET_REGISTRY:-$PWD/$build/registry}
"$build/fluvahost" "$build/Fluvanet.so"
