#!/usr/bin/env bash
# Sets up, builds and runs every Vantrel test.
#   ./test.sh              the whole suite
#   ./test.sh --sanitize   the whole suite under AddressSanitizer and UBSan
# The plain run also runs each fuzz target for a few seconds as a smoke test
# (VANTREL_FUZZ_SECONDS, default 5; 0 skips it).
set -euo pipefail
cd "$(dirname "$0")"

sanitize=0
for arg in "$@"; do
    case "$arg" in
    --sanitize) sanitize=1 ;;
    *) echo "usage: ./test.sh [--sanitize]" >&2; exit 2 ;;
    esac
done

./scripts/setup.sh
if [ "$sanitize" -eq 1 ]; then
    build=build-sanitize
    ./scripts/build.sh "$build" -DVANTREL_SANITIZE=ON
    # allocator_may_return_null: a huge image must fail the way it does
    # without the sanitizer, with a null allocation the program reports.
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:allocator_may_return_null=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
    build=build
    ./scripts/build.sh "$build"
    fuzz_seconds=${VANTREL_FUZZ_SECONDS:-5}
    if [ "$fuzz_seconds" -gt 0 ]; then
        ./fuzz/run.sh "$fuzz_seconds"
    fi
fi
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
