#!/usr/bin/env bash
# Remote files: the three header scan files served by the test range server
# on 127.0.0.1 with a fixed delay added to every response (20 ms, as a
# store in a nearby region), against the same operations on the local file
# and against downloading the whole file from the same server (curl), in
# one piece and as two halves side by side.
# Operations: the full header scan (`vantrel-cli scan`, the tables), open
# plus the first paint (`render`), and open plus a paint scrolled to the
# middle of the file. Medians of ROUNDS runs, in seconds. Then the scan and
# the download of the files of short traces from a server that sends each
# connection's bytes at no more than RATE MB/s, as an object store does.
# See bench/README.md.
#
#   bench/remote_bench.sh [ROUNDS [DELAY_MS [RATE]]]      (default 3, 20 and 250)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

rounds=${1:-3}
delay=${2:-20}
rate=${3:-250}
configure_build
cmake --build "$build" -j2 --target vantrel-cli vantrel-render make_scan_file >/dev/null
write_bench_files
command -v curl >/dev/null || { echo "curl is needed for the download column" >&2; exit 1; }

work=$(mktemp -d)
python3 tests/remote/range_server.py "$data" --delay-ms "$delay" >"$work/port" &
server=$!
python3 tests/remote/range_server.py "$data" --delay-ms "$delay" --rate-mbps "$rate" \
    >"$work/held-port" &
held_server=$!
trap 'kill $server $held_server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/port" ] && [ -s "$work/held-port" ] && break; sleep 0.1; done
url=http://127.0.0.1:$(cat "$work/port")
held_url=http://127.0.0.1:$(cat "$work/held-port")
busy_lines=()

# Processor seconds the whole machine spent (every process, the server's
# too) while one run of the command lasted, out of those it had: its
# processors times the run's wall time.
busy() {
    local before after start end
    before=$(awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 }' /proc/stat)
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    after=$(awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 }' /proc/stat)
    awk -v a="$before" -v b="$after" -v hz="$(getconf CLK_TCK)" -v n="$(nproc)" \
        -v ns="$((end - start))" 'BEGIN { printf "%.2f/%.2f", (b - a) / hz, n * ns / 1e9 }'
}

# The whole file downloaded as two halves side by side, a curl for each: what
# a second connection gives any client on this machine and server.
download_halves() { # url, size
    local middle=$(($2 / 2))
    curl -s -o /dev/null -r "0-$((middle - 1))" "$1" &
    curl -s -o /dev/null -r "$middle-" "$1"
    wait
}

timed() { # rounds, then the command
    local n=$1 times="" r
    shift
    for ((r = 0; r < n; r++)); do times+=" $(seconds "$@")"; done
    echo "$times" | median
}

echo "Machine: $(nproc) cores, load average $(load_average); $delay ms a response;" \
    "medians of $rounds runs, seconds."
printf '%-19s %-8s %9s %9s %9s %12s\n' file where scan "open+paint" "scrolled" "scan/download"
for entry in "${files[@]}"; do
    read -r name traces _ <<<"$entry"
    # The download and the remote scan take turns, round by round, so that
    # both see the machine alike.
    downloads="" remote_scans="" halves=""
    for ((r = 0; r < rounds; r++)); do
        downloads+=" $(seconds curl -s -o /dev/null "$url/$name")"
        remote_scans+=" $(seconds "$cli" scan "$url/$name")"
        halves+=" $(seconds download_halves "$url/$name" "$(stat -c %s "$data/$name")")"
    done
    download=$(echo "$downloads" | median)
    for where in local remote; do
        source=$data/$name
        [ "$where" = remote ] && source=$url/$name
        if [ "$where" = remote ]; then
            scan=$(echo "$remote_scans" | median)
        else
            scan=$(timed "$rounds" "$cli" scan "$source")
        fi
        paint=$(timed "$rounds" "$cli" render "$source" --output "$work/p.png")
        scrolled=$(timed "$rounds" "$cli" render "$source" --output "$work/p.png" \
            --first-trace $((traces / 2)))
        ratio=$(awk -v a="$scan" -v b="$download" 'BEGIN { printf "%.2f", a / b }')
        printf '%-19s %-8s %9s %9s %9s %12s\n' "$name" "$where" "$scan" "$paint" "$scrolled" \
            "$ratio"
    done
    printf '%-19s %-8s %9s\n' "$name" download "$download"
    halves=$(echo "$halves" | median)
    printf '%-19s %-8s %9s %32s\n' "$name" halves "$halves" \
        "$(awk -v a="$halves" -v b="$download" 'BEGIN { printf "%.2f", a / b }')"
    busy_lines+=("$(printf '%-19s %12s %12s' "$name" "$(busy curl -s -o /dev/null "$url/$name")" \
        "$(busy "$cli" scan "$url/$name")")")
done
echo
echo "Processor seconds the whole machine (server included) spent in one run, out of"
echo "$(nproc) processors times the run's wall time:"
printf '%-19s %12s %12s\n' file download "remote scan"
printf '%s\n' "${busy_lines[@]}"
echo
echo "Each connection held to $rate MB/s, as an object store serves each:"
printf '%-19s %9s %9s %12s\n' file scan download scan/download
for entry in "${files[@]:0:2}"; do
    read -r name _ <<<"$entry"
    download=$(timed "$rounds" curl -s -o /dev/null "$held_url/$name")
    scan=$(timed "$rounds" "$cli" scan "$held_url/$name")
    printf '%-19s %9s %9s %12s\n' "$name" "$scan" "$download" \
        "$(awk -v a="$scan" -v b="$download" 'BEGIN { printf "%.2f", a / b }')"
done
echo
echo "Targets: remote scan within 1.1 times the download on 1240-byte traces and faster than"
echo "it on 6240- and 24240-byte traces; remote open plus first paint under 0.5 s."
