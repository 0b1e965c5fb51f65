#!/usr/bin/env bash
# The header scan benchmark: times `vantrel-cli scan FILE --json` against
# the same scan written with segyio and against the reading floors, on three
# large synthetic files with short, medium and long traces, each warm (the
# file in the page cache) and cold (evicted before every run), and prints
# the medians. See bench/README.md.
#
#   bench/scan_bench.sh [WARM_ROUNDS [COLD_ROUNDS]]      (default 5 and 3)
#
# Environment: VANTREL_BUILD_DIR (default build), VANTREL_BENCH_DIR (where
# the files are cached, default bench/data).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

warm_rounds=${1:-5}
cold_rounds=${2:-3}
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

# The commands, in the order of the table's columns: (a) the scan that
# fills the tables, the work the peer does, (b) the peer, then the floors;
# last the scan with --json, which also names every field, learns what
# each does and the survey's geometry.
columns=(cli segyio blocks pread mmap prefetch json)
command_for() { # column file trace-length
    case $1 in
    cli) echo "$cli scan $2" ;;
    json) echo "$cli scan $2 --json" ;;
    segyio) [ "$have_segyio" -eq 1 ] && echo "$bin/segyio_scan $2" ;;
    blocks) echo "$bin/read_floor blocks $2" ;;
    pread) echo "$bin/read_floor headers $2 $3" ;;
    mmap) echo "$bin/read_floor mmap $2 $3" ;;
    prefetch) echo "$bin/read_floor prefetch $2 $3" ;;
    esac
}

# Runs every command `rounds` times, interleaved round by round so that a
# burst of load from elsewhere spreads over all of them, and prints one
# line: the medians in the order of `columns`. Cold runs evict the file
# first; warm runs find it cached.
measure() { # file trace-length rounds warm|cold
    local file=$1 length=$2 rounds=$3 mode=$4 r c cmd
    declare -A times=()
    # Warm runs find the whole file read in by one plain read, whatever
    # earlier runs left cached: how the pages came in changes what a map of
    # them costs.
    if [ "$mode" = warm ]; then
        "$bin/read_floor" evict "$file"
        cat "$file" >/dev/null
    fi
    for ((r = 0; r < rounds; r++)); do
        for c in "${columns[@]}"; do
            cmd=$(command_for "$c" "$file" "$length") || continue
            [ -n "$cmd" ] || continue
            [ "$mode" = cold ] && "$bin/read_floor" evict "$file"
            # shellcheck disable=SC2086
            times[$c]+=" $(seconds $cmd)"
        done
    done
    local line=""
    for c in "${columns[@]}"; do
        line+=" $(echo "${times[$c]:-}" | median)"
    done
    echo "$line"
}

echo "Machine: $(nproc) cores, load average $(load_average); warm $warm_rounds rounds, cold" \
    "$cold_rounds rounds, medians in seconds."
rows=()
for entry in "${files[@]}"; do
    read -r name traces samples <<<"$entry"
    file=$data/$name
    length=$((samples * 4 + 240))

    if [ "$have_segyio" -eq 1 ]; then
        "$cli" scan "$file" --json >"$data/$name.vantrel.json"
        "$bin/segyio_scan" "$file" >"$data/$name.segyio.json"
        if python3 - "$data/$name.vantrel.json" "$data/$name.segyio.json" <<'PY'; then
import json, sys
a, b = (json.load(open(p)) for p in sys.argv[1:3])
a.pop("Fields", None)  # the named fields restate the tables; segyio_scan has none
a.pop("Geometry", None)  # learnt beyond the tables; segyio_scan has none
sys.exit(0 if a == b else 1)
PY
            echo "$name: vantrel and segyio tables agree: yes"
        else
            echo "$name: vantrel and segyio tables agree: NO"
        fi
    fi
    rows+=("$name warm $(measure "$file" "$length" "$warm_rounds" warm)")
    rows+=("$name cold $(measure "$file" "$length" "$cold_rounds" cold)")
done

echo
printf '%-19s %-4s %8s %8s %8s %8s %8s %8s %9s %6s %8s %9s\n' file mode "(a)cli" "(b)segyio" \
    "(c)blocks" pread mmap prefetch a/best-c b/a "(d)json" d/best-c
for row in "${rows[@]}"; do
    # The best floor: warm, of blocks, pread and mmap (prefetching a cached
    # file only adds calls); cold, of blocks, mmap and prefetch (one pread at
    # a time waits for the storage on every header).
    echo "$row" | awk '{
        best = ($2 == "warm") ? $5 : $5
        if ($2 == "warm") { if ($6 < best) best = $6; if ($7 < best) best = $7 }
        else { if ($7 < best) best = $7; if ($8 < best) best = $8 }
        peer = ($4 == "-") ? "-" : sprintf("%.2f", $4 / $3)
        printf "%-19s %-4s %8s %8s %8s %8s %8s %8s %9.2f %6s %8s %9.2f\n", $1, $2, $3, $4, $5, $6,
            $7, $8, $3 / best, peer, $9, $9 / best }'
done
echo
echo "Targets: a/best-c at most 1.25 and b/a above 1.00 in every row; (d) is reported."
echo "Load average after the runs: $(load_average)"

if [ -x /usr/bin/time ]; then
    for entry in "${files[@]}"; do
        read -r name _ <<<"$entry"
        rss=$(/usr/bin/time -v "$cli" scan "$data/$name" --json 2>&1 >/dev/null |
            awk -F': ' '/Maximum resident set size/ { print $2 }')
        echo "Peak resident memory of vantrel-cli scan $name: $rss KiB"
    done
fi
