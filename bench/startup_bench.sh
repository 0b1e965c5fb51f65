#!/usr/bin/env bash
# How long vantrel-cli takes to start: `--version` and `info` on a small
# file, against /bin/true, medians of ROUNDS runs each, interleaved. A
# script that runs `info` over every file of a survey pays this per file.
# See bench/README.md.
#
#   bench/startup_bench.sh [ROUNDS]      (default 15)
#
# Environment: VANTREL_BUILD_DIR (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

rounds=${1:-15}
configure_build
cmake --build "$build" -j2 --target vantrel-cli make_demo_data >/dev/null
small=$(mktemp -d)
trap 'rm -rf "$small"' EXIT
"$build/tests/make_demo_data" "$small" >/dev/null
file=$(ls "$small"/*.sgy | head -n 1)

echo "Machine: $(nproc) cores, load average $(load_average); $rounds rounds, medians in seconds."
# Timed from Python around fork and exec alone: the shell's own helpers
# would cost more than the programs measured.
python3 - "$rounds" "$cli" "$file" <<'PY'
import statistics, subprocess, sys, time
rounds, cli, file = int(sys.argv[1]), sys.argv[2], sys.argv[3]
commands = [["/bin/true"], [cli, "--version"], [cli, "info", file]]
times = [[] for _ in commands]
for _ in range(rounds):
    for k, command in enumerate(commands):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times[k].append(time.perf_counter() - start)
base = statistics.median(times[0])
names = ["/bin/true", "vantrel-cli --version", "vantrel-cli info (small file)"]
print(f"{'command':<32}{'median':>10}{'/ true':>8}")
for name, t in zip(names, times):
    m = statistics.median(t)
    print(f"{name:<32}{m:>10.4f}{m / base:>8.2f}")
PY
echo "Target: at most 3 times /bin/true."
