# Shared by the benchmark scripts (sourced, not run): the build and data
# folders, the three big synthetic files, and the timing helpers.
#
# Environment: VANTREL_BUILD_DIR (default build), VANTREL_BENCH_DIR (where
# the files are cached, default bench/data).

build=${VANTREL_BUILD_DIR:-build}
# Absolute, as the window makes its program's folder the current directory.
data=$(realpath -m "${VANTREL_BENCH_DIR:-bench/data}")
cli=$build/app/vantrel-cli
bin=$build/bench

# name traces samples
files=("scan-1m-250.sgy 1000000 250" "scan-250k-1500.sgy 250000 1500"
    "scan-40k-6000.sgy 40000 6000")

# Configures every time: cheap when nothing changed, and it notices a peer
# library installed since the last run.
configure_build() {
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
}

# Writes the files that are not there yet (needs the make_scan_file target).
write_bench_files() {
    mkdir -p "$data"
    local entry name traces samples
    for entry in "${files[@]}"; do
        read -r name traces samples <<<"$entry"
        if [ ! -f "$data/$name" ]; then
            echo "Writing $data/$name ($traces traces of $samples samples) ..."
            "$bin/make_scan_file" "$data/$name" "$traces" "$samples"
        fi
    done
}

# Prints the wall time of one run of the command in seconds.
seconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000)) 1000000" | awk '{ printf "%.4f\n", $1 / $2 }'
}

median() {
    tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "-"; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.4f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

load_average() {
    cut -d' ' -f1-3 /proc/loadavg
}
