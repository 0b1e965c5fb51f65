#!/usr/bin/env bash
# The header scan benchmark: times `vantrel-cli scan FILE --json` against
# the same scan written with segyio and against two reading floors, on two
# large synthetic files, and prints the medians. See bench/README.md.
#
#   bench/scan_bench.sh [REPETITIONS]      (default 5)
#
# Environment: VANTREL_BUILD_DIR (default build), VANTREL_BENCH_DIR (where
# the files are cached, default bench/data).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

reps=${1:-5}
# segyio is the peer the scan is compared with; the build finds it if present.
./scripts/setup.sh libsegyio-dev
configure_build
targets=(vantrel-cli make_scan_file read_floor)
have_segyio=0
if grep -q '^SEGYIO_LIBRARY:FILEPATH=/' "$build/CMakeCache.txt"; then
    targets+=(segyio_scan)
    have_segyio=1
else
    echo "segyio is not installed (libsegyio-dev): the segyio column is skipped."
fi
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

write_bench_files

echo "Machine: $(nproc) cores, load average $(load_average); $reps repetitions, medians in seconds."
rows=()
for entry in "${files[@]}"; do
    read -r name traces samples <<<"$entry"
    file=$data/$name
    length=$((samples * 4 + 240))
    cat "$file" >/dev/null

    agree="-"
    if [ "$have_segyio" -eq 1 ]; then
        "$cli" scan "$file" --json >"$data/$name.vantrel.json"
        "$bin/segyio_scan" "$file" >"$data/$name.segyio.json"
        if python3 - "$data/$name.vantrel.json" "$data/$name.segyio.json" <<'EOF'; then
import json, sys
a, b = (json.load(open(p)) for p in sys.argv[1:3])
sys.exit(0 if a == b else 1)
EOF
            agree=yes
        else
            agree=NO
        fi
        echo "$name: vantrel and segyio tables agree: $agree"
    fi

    ta="" tb="" tc1="" tc2=""
    # Rounds interleave the four commands so that a burst of load from
    # elsewhere spreads over all of them rather than spoiling one column.
    for ((r = 0; r < reps; r++)); do
        ta+=" $(seconds "$cli" scan "$file" --json)"
        if [ "$have_segyio" -eq 1 ]; then
            tb+=" $(seconds "$bin/segyio_scan" "$file")"
        fi
        tc1+=" $(seconds "$bin/read_floor" headers "$file" "$length")"
        tc2+=" $(seconds "$bin/read_floor" blocks "$file")"
    done
    rows+=("$name $(echo "$ta" | median) $(echo "$tb" | median) $(echo "$tc1" | median) $(echo "$tc2" | median) $agree")
done

echo
printf '%-20s %9s %9s %9s %9s %12s %7s %7s\n' file "(a)cli" "(b)segyio" "(c1)hdrs" "(c2)blocks" "a/min(c)" "b/a" agree
for row in "${rows[@]}"; do
    echo "$row" | awk '{
        floor = ($4 < $5) ? $4 : $5
        ratio = sprintf("%.2f", $2 / floor)
        peer = ($3 == "-") ? "-" : sprintf("%.2f", $3 / $2)
        printf "%-20s %9s %9s %9s %9s %12s %7s %7s\n", $1, $2, $3, $4, $5, ratio, peer, $6 }'
done
echo
echo "Targets: a/min(c) at most 1.20 on both files; b/a at least 2.00 on scan-1m-250.sgy."

if [ -x /usr/bin/time ]; then
    for entry in "${files[@]}"; do
        read -r name _ <<<"$entry"
        rss=$(/usr/bin/time -v "$cli" scan "$data/$name" --json 2>&1 >/dev/null |
            awk -F': ' '/Maximum resident set size/ { print $2 }')
        echo "Peak resident memory of vantrel-cli scan $name: $rss KiB"
    done
fi
