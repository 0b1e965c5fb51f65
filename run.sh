#!/usr/bin/env bash
# Sets up, builds and runs Vantrel on its demo data.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup.sh
./scripts/build.sh build
demo=build/demo/section.sgy
if [ -x build/app/vantrel ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/app/vantrel "$demo" "$@"
fi
if [ -x build/app/vantrel ]; then
    echo "No display is available (DISPLAY is not set): showing the demo file's info instead."
fi
exec build/app/vantrel-cli info "$demo"
