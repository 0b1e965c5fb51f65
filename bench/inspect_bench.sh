#!/usr/bin/env bash
# What the header inspection costs. On the three benchmark files, warm and
# cold, the full scan that also learns each field's character, the envelope
# and the geometry is timed against the same scan computing only the grid's
# tables, side by side in one run; on scan-1m-250.sgy also `vantrel-cli
# headers` writing four fields of every trace as CSV. Then the window's peak
# memory through a session, Inspect page included, on a file of 10,000,000
# traces. See bench/README.md.
#
#   bench/inspect_bench.sh [WARM_ROUNDS [COLD_ROUNDS]]      (default 5 and 3)
#
# Environment: VANTREL_BUILD_DIR (default build), VANTREL_BENCH_DIR (where
# the files are cached, default bench/data).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

warm=${1:-5}
cold=${2:-3}
configure_build
cmake --build "$build" -j2 --target vantrel-cli make_scan_file inspect_bench memory_bench \
    >/dev/null
write_bench_files
many=$data/scan-10m-1.sgy
if [ ! -f "$many" ]; then
    echo "Writing $many (10000000 traces of 1 sample) ..."
    "$bin/make_scan_file" "$many" 10000000 1
fi
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "Machine: $(nproc) cores, load average $(load_average). Medians in seconds."
echo "Targets: full/plain at most 1.2; headers/plain at most 2."
printf '%-20s %-5s %9s %9s %10s %9s %12s\n' file cache plain full full/plain headers \
    headers/plain
for entry in "${files[@]}"; do
    read -r name _ _ <<<"$entry"
    for mode in warm cold; do
        rounds=$warm
        [ "$mode" = cold ] && rounds=$cold
        # A warm scan of the files of long traces lasts 10 to 30 ms, where
        # one wake-up of the inspection's thread late moves a run by a
        # tenth: they are timed five times as often.
        [ "$mode" = warm ] && [ "$name" != scan-1m-250.sgy ] && rounds=$((warm * 5))
        tool=""
        [ "$name" = scan-1m-250.sgy ] && tool=$cli
        read -r _ _ plain _ full _ headers < <("$bin/inspect_bench" "$data/$name" "$rounds" \
            "$mode" $tool | tail -n 1)
        ratio=$(awk -v a="$full" -v b="$plain" 'BEGIN { printf "%.2f", a / b }')
        hratio=-
        [ "$headers" != - ] && hratio=$(awk -v a="$headers" -v b="$plain" \
            'BEGIN { printf "%.2f", a / b }')
        printf '%-20s %-5s %9s %9s %10s %9s %12s\n' "$name" "$mode" "$plain" "$full" "$ratio" \
            "$headers" "$hratio"
    done
done
echo
echo "Window peak memory on $(basename "$many") (goal: under 150 MiB):"
"$bin/memory_bench" "$many" 150 | tail -n 1
