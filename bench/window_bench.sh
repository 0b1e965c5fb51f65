#!/usr/bin/env bash
# The window's own figures on the big synthetic files: the full header scan
# through the window with its progress dialog against `vantrel-cli scan
# FILE --json` on scan-1m-250.sgy, and the window's peak memory through a
# whole session on scan-250k-1500.sgy. See bench/README.md.
#
#   bench/window_bench.sh [REPETITIONS]      (default 5)
#
# Environment: VANTREL_BUILD_DIR (default build), VANTREL_BENCH_DIR (where
# the files are cached, default bench/data).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

reps=${1:-5}
configure_build
cmake --build "$build" -j2 --target vantrel-cli make_scan_file window_scan_bench memory_bench \
    >/dev/null
write_bench_files
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

scanned=$data/scan-1m-250.sgy
listed=$data/scan-250k-1500.sgy
cat "$scanned" >/dev/null

echo "Machine: $(nproc) cores, load average $(load_average); $reps rounds, medians in seconds."
# Each round runs the command-line scan and then a fresh window that scans
# once, so that both are a user's first scan and load from elsewhere
# spreads over both columns.
tcli="" twin="" tbare=""
for ((r = 0; r < reps; r++)); do
    tcli+=" $(seconds "$cli" scan "$scanned" --json)"
    read -r _ _ dialog _ bare < <("$bin/window_scan_bench" "$scanned" 1 | tail -n 1)
    twin+=" $dialog"
    tbare+=" $bare"
done
mcli=$(echo "$tcli" | median)
mwin=$(echo "$twin" | median)
mbare=$(echo "$tbare" | median)

echo
echo "Full header scan of scan-1m-250.sgy (1,000,000 traces):"
echo "  vantrel-cli scan --json (whole process):  $mcli  [$tcli ]"
echo "  window, progress dialog shown:            $mwin  [$twin ]"
echo "  window, no progress dialog:               $mbare  [$tbare ]"
awk -v w="$mwin" -v c="$mcli" 'BEGIN {
    ratio = w / c
    printf "  window/cli: %.2f (target: at most 1.50) %s\n", ratio, ratio <= 1.5 ? "met" : "MISSED" }'
echo "Load average after the scans: $(load_average)"

echo
echo "Peak memory of the window through a session on scan-250k-1500.sgy:"
cat "$listed" >/dev/null
"$bin/memory_bench" "$listed" | sed 's/^/  /'
