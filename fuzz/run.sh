#!/usr/bin/env bash
# Runs each fuzz target for a while:  fuzz/run.sh SECONDS [TARGET...]
# Builds the targets with clang and libFuzzer (ASan + UBSan) into build-fuzz,
# seeds them with files the project's writer makes and, when present, the
# shared corpus, and stops at the first finding (its input is saved under
# build-fuzz/findings/; add it to fuzz/regressions/<target>/).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true

./scripts/setup.sh clang libclang-rt-14-dev
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON \
    >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi
cmake --build "$build" -j "$(nproc)" --target fuzz_seeds "${targets[@]}"

corpus_dir=../shared/segy-corpus
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    seeds=()
    [ -d "$build/fuzz-seeds/$target" ] && seeds+=("$build/fuzz-seeds/$target")
    [ -d "fuzz/regressions/$target" ] && seeds+=("fuzz/regressions/$target")
    if [ -d "$corpus_dir" ] && [ "$target" = fuzz_file_header ]; then
        seeds+=("$corpus_dir")
    fi
    echo "== $target for ${seconds}s"
    log="$build/findings/$target.log"
    if ! ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen "$build/fuzz/$target" \
        -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        "$work" "${seeds[@]}" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "FINDING in $target: see $build/findings/" >&2
        exit 1
    fi
    grep -E "stat::number_of_executed_units|stat::new_units_added" "$log" | sed "s/^/  /"
done
