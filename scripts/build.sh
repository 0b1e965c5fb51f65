#!/usr/bin/env bash
# Configures and builds Vantrel into a build folder: build.sh [BUILD_DIR] [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
